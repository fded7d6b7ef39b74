#include "support/web/fetch.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "support/web/fetch_rules.h"
#include "support/web/internet_handle.h"
#include "support/web/web_access.h"
#include "support/web/wininet_functions.h"

namespace zendalo {
namespace {

// Buffer sizes, in characters with the terminating zero. A URL component that does not fit
// makes the split fail.
constexpr DWORD kCanonicalUrlSize = 2084;
constexpr DWORD kHostNameSize = 256;
constexpr DWORD kUrlPathSize = 2048;
constexpr DWORD kUserNameSize = 128;
constexpr DWORD kPasswordSize = 128;
constexpr DWORD kContentLengthSize = 32;

constexpr const char* kVerb = "GET";
constexpr const char* kHttpVersion = "HTTP/1.0";
constexpr const char* kAcceptType = "Accept: */* \r\n";
constexpr char kExtraHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kExtraHeadersLength = sizeof kExtraHeaders - 1;
static_assert(kExtraHeadersLength == 15);

// Every page comes from the server and none is stored in the cache; redirections, cookies and
// certificate checks stay WinInet's.
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kHttpsRequestFlags = kHttpRequestFlags | INTERNET_FLAG_SECURE;
static_assert(kHttpRequestFlags == 0x84000000 && kHttpsRequestFlags == 0x84800000);

// A service number WinInet does not know, so that InternetConnectA refuses other schemes.
constexpr DWORD kNoService = 0;

struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT port = 0;
    std::string hostName;
    std::string userName;
    std::string password;
    std::string urlPath;  // with the query and any fragment
};

struct Route {
    DWORD service;
    DWORD requestFlags;
};

// The URL with dot segments resolved and nothing escaped; one retry with the size the first
// call asks for.
std::optional<std::string> CanonicalUrl(const WinInetFunctions& wininet, const Text& url) {
    std::string canonical(kCanonicalUrlSize, '\0');
    DWORD size = kCanonicalUrlSize;
    if (!wininet.canonicalizeUrl(url.CStr(), canonical.data(), &size, ICU_NO_ENCODE)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        canonical.assign(size, '\0');
        if (!wininet.canonicalizeUrl(url.CStr(), canonical.data(), &size, ICU_NO_ENCODE)) return std::nullopt;
    }
    canonical.resize(std::string_view(canonical.c_str()).size());
    return canonical;
}

template <std::size_t N>
std::string ComponentText(const std::array<char, N>& buffer, DWORD length) {
    return std::string(buffer.data(), std::min<std::size_t>(length, N - 1));
}

std::optional<UrlParts> SplitUrl(const WinInetFunctions& wininet, const std::string& canonicalUrl) {
    std::array<char, kHostNameSize> hostName{};
    std::array<char, kUserNameSize> userName{};
    std::array<char, kPasswordSize> password{};
    std::array<char, kUrlPathSize> urlPath{};
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = hostName.data();
    components.dwHostNameLength = kHostNameSize;
    components.lpszUserName = userName.data();
    components.dwUserNameLength = kUserNameSize;
    components.lpszPassword = password.data();
    components.dwPasswordLength = kPasswordSize;
    components.lpszUrlPath = urlPath.data();
    components.dwUrlPathLength = kUrlPathSize;
    if (!wininet.crackUrl(canonicalUrl.c_str(), 0, 0, &components)) return std::nullopt;
    return UrlParts{
        .scheme = components.nScheme,
        .port = components.nPort,
        .hostName = ComponentText(hostName, components.dwHostNameLength),
        .userName = ComponentText(userName, components.dwUserNameLength),
        .password = ComponentText(password, components.dwPasswordLength),
        .urlPath = ComponentText(urlPath, components.dwUrlPathLength),
    };
}

// http and https ask for a page; ftp and gopher reach InternetConnectA and fail later; any
// other scheme fails at InternetConnectA.
Route RouteFor(INTERNET_SCHEME scheme) noexcept {
    switch (scheme) {
        case INTERNET_SCHEME_HTTP: return {INTERNET_SERVICE_HTTP, kHttpRequestFlags};
        case INTERNET_SCHEME_HTTPS: return {INTERNET_SERVICE_HTTP, kHttpsRequestFlags};
        case INTERNET_SCHEME_FTP: return {INTERNET_SERVICE_FTP, kHttpRequestFlags};
        case INTERNET_SCHEME_GOPHER: return {INTERNET_SERVICE_GOPHER, kHttpRequestFlags};
        default: return {kNoService, kHttpRequestFlags};
    }
}

// The preconfigured proxy with no proxy credentials, on every fetch; WinInet decides what the
// pair of settings means, so their results are not examined.
void SetProxyOptions(const WinInetFunctions& wininet, HINTERNET root, HINTERNET connection) noexcept {
    INTERNET_PROXY_INFO proxy{INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr};
    wininet.setOption(root, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
    char empty[] = "";
    wininet.setOption(connection, INTERNET_OPTION_PROXY_USERNAME, empty, sizeof empty);
    wininet.setOption(connection, INTERNET_OPTION_PROXY_PASSWORD, empty, sizeof empty);
}

std::uint32_t QueryReadPieceSize(const WinInetFunctions& wininet, HINTERNET request) noexcept {
    std::array<char, kContentLengthSize> declared{};
    DWORD size = kContentLengthSize;
    if (!wininet.queryInfo(request, HTTP_QUERY_CONTENT_LENGTH, declared.data(), &size, nullptr)) {
        return ReadPieceSize(std::nullopt);
    }
    return ReadPieceSize(std::string_view(declared.data(), std::min<DWORD>(size, kContentLengthSize)));
}

// Reads the body to its end, to a failed read or to the bound, in pieces of `pieceSize`.
ByteSet ReadBody(const WinInetFunctions& wininet, HINTERNET request, std::uint32_t pieceSize) {
    std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[pieceSize]);
    if (!piece) return {};
    BodyCollector body;
    for (;;) {
        DWORD count = 0;
        if (!wininet.readFile(request, piece.get(), pieceSize, &count) || count == 0) break;
        if (!body.Append(piece.get(), std::min<DWORD>(count, pieceSize))) break;
    }
    return body.Take();
}

}  // namespace

ByteSet FetchUrl(const Text& url) { return FetchUrl(url, WebAccess::Process()); }

ByteSet FetchUrl(const Text& url, WebAccess& access) {
    if (url.Empty()) return {};
    const WinInetFunctions& wininet = access.Functions();
    const std::optional<std::string> canonicalUrl = CanonicalUrl(wininet, url);
    if (!canonicalUrl) return {};
    const std::optional<UrlParts> parts = SplitUrl(wininet, *canonicalUrl);
    if (!parts) return {};
    const Route route = RouteFor(parts->scheme);
    if (!access.EnsureOpen()) return {};

    // Declared in this order, the request is closed before its connection on every path.
    const InternetHandle connection(
        wininet.connect(access.Root(), parts->hostName.c_str(), parts->port, parts->userName.c_str(),
                        parts->password.c_str(), route.service, 0, 0),
        wininet);
    if (!connection) return {};
    SetProxyOptions(wininet, access.Root(), connection.Get());

    const std::string objectName(ObjectName(parts->urlPath));
    const char* acceptTypes[] = {kAcceptType, nullptr};
    const InternetHandle request(
        wininet.openRequest(connection.Get(), kVerb, objectName.c_str(), kHttpVersion, nullptr, acceptTypes,
                            route.requestFlags, 0),
        wininet);
    if (!request) return {};
    if (!wininet.sendRequest(request.Get(), kExtraHeaders, kExtraHeadersLength, nullptr, 0)) return {};
    return ReadBody(wininet, request.Get(), QueryReadPieceSize(wininet, request.Get()));
}

}  // namespace zendalo
