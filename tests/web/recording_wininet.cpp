#include "tests/web/recording_wininet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace zendalo::testing {
namespace {
RecordingWinInet* current = nullptr;
}  // namespace

RecordingWinInet::RecordingWinInet()
    : functions_{
          .canonicalizeUrl = &CanonicalizeUrl,
          .crackUrl = &CrackUrl,
          .open = &Open,
          .connect = &Connect,
          .setOption = &SetOption,
          .openRequest = &OpenRequest,
          .sendRequest = &SendRequest,
          .queryInfo = &QueryInfo,
          .readFile = &ReadFile,
          .closeHandle = &CloseHandle,
      } {
    if (current != nullptr) throw std::logic_error("one RecordingWinInet at a time");
    current = this;
}

RecordingWinInet::~RecordingWinInet() { current = nullptr; }

RecordingWinInet& RecordingWinInet::Current() { return *current; }

namespace {
// Byte `offset` of the endless body: a pattern that repeats only every 251 bytes, so a piece
// lost, doubled or out of place shows.
char EndlessByte(std::size_t offset) { return static_cast<char>(offset * 7 % 251); }
}  // namespace

std::string RecordingWinInet::EndlessBodyPrefix(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = EndlessByte(i);
    return bytes;
}

std::string Hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

std::string Quoted(const char* text, std::size_t length) {
    if (text == nullptr) return "null";
    std::string out = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\' || c == '"') (out += '\\') += static_cast<char>(c);
        else if (c == 0) out += "\\0";
        else if (c < 0x20 || c == 0x7F) out += "\\x" + Hex(c).substr(2);
        else out += static_cast<char>(c);
    }
    return out + "\"";
}

std::string Quoted(const char* text) { return Quoted(text, text == nullptr ? 0 : std::strlen(text)); }

std::string RecordingWinInet::HandleName(HINTERNET handle) {
    if (handle == kRoot) return "root";
    if (handle == kConnection) return "connection";
    if (handle == kRequest) return "request";
    if (handle == nullptr) return "null";
    return Hex(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(handle)));
}

namespace {
std::string Number(unsigned long long value) { return std::to_string(value); }
}  // namespace

BOOL WINAPI RecordingWinInet::CanonicalizeUrl(LPCSTR url, LPSTR buffer, LPDWORD bufferLength, DWORD flags) {
    RecordingWinInet& self = Current();
    const bool first = std::none_of(self.calls.begin(), self.calls.end(),
                                    [](const std::string& call) { return call.starts_with("InternetCanonicalizeUrlA"); });
    self.calls.push_back("InternetCanonicalizeUrlA(" + Quoted(url) + ", " + Number(*bufferLength) + ", " +
                         Hex(flags) + ")");
    if (first && self.canonicalizeError) {
        SetLastError(*self.canonicalizeError);
        return FALSE;
    }
    return ::InternetCanonicalizeUrlA(url, buffer, bufferLength, flags);
}

BOOL WINAPI RecordingWinInet::CrackUrl(LPCSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSA c) {
    auto asked = [](const char* buffer, DWORD length) {
        return buffer == nullptr ? "none" + (length == 0 ? std::string() : " " + Number(length)) : Number(length);
    };
    Current().calls.push_back("InternetCrackUrlA(" + Quoted(url) + ", " + Number(urlLength) + ", " + Number(flags) +
                              ", size " + Number(c->dwStructSize) + ", scheme " +
                              asked(c->lpszScheme, c->dwSchemeLength) + ", host " +
                              asked(c->lpszHostName, c->dwHostNameLength) + ", user " +
                              asked(c->lpszUserName, c->dwUserNameLength) + ", password " +
                              asked(c->lpszPassword, c->dwPasswordLength) + ", path " +
                              asked(c->lpszUrlPath, c->dwUrlPathLength) + ", extra " +
                              asked(c->lpszExtraInfo, c->dwExtraInfoLength) + ")");
    return ::InternetCrackUrlA(url, urlLength, flags, c);
}

HINTERNET WINAPI RecordingWinInet::Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                                        DWORD flags) {
    RecordingWinInet& self = Current();
    self.calls.push_back("InternetOpenA(" + Quoted(agent) + ", " + Number(accessType) + ", " + Quoted(proxy) + ", " +
                         Quoted(proxyBypass) + ", " + Number(flags) + ")");
    if (self.openFails) {
        SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
        return nullptr;
    }
    return kRoot;
}

HINTERNET WINAPI RecordingWinInet::Connect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port,
                                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                                           DWORD_PTR context) {
    RecordingWinInet& self = Current();
    self.calls.push_back("InternetConnectA(" + HandleName(internet) + ", " + Quoted(serverName) + ", " +
                         Number(port) + ", " + Quoted(userName) + ", " + Quoted(password) + ", " + Number(service) +
                         ", " + Number(flags) + ", " + Number(context) + ")");
    // Like WinInet: the three services it knows, nothing else.
    if (service < INTERNET_SERVICE_FTP || service > INTERNET_SERVICE_HTTP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    self.connectedService_ = service;
    return kConnection;
}

BOOL WINAPI RecordingWinInet::SetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength) {
    std::string value;
    if (option == INTERNET_OPTION_PROXY && buffer != nullptr) {
        const auto* proxy = static_cast<const INTERNET_PROXY_INFO*>(buffer);
        value = "{" + Number(proxy->dwAccessType) + ", " + Quoted(proxy->lpszProxy) + ", " +
                Quoted(proxy->lpszProxyBypass) + "}";
    } else {
        value = Quoted(static_cast<const char*>(buffer), buffer == nullptr ? 0 : bufferLength);
    }
    Current().calls.push_back("InternetSetOptionA(" + HandleName(internet) + ", " + Number(option) + ", " + value +
                              ", " + Number(bufferLength) + ")");
    return TRUE;
}

HINTERNET WINAPI RecordingWinInet::OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR objectName,
                                               LPCSTR version, LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags,
                                               DWORD_PTR context) {
    RecordingWinInet& self = Current();
    std::string accept = "null";
    if (acceptTypes != nullptr) {
        accept = "[";
        for (LPCSTR* entry = acceptTypes; *entry != nullptr; ++entry) accept += Quoted(*entry) + ", ";
        accept += "null]";
    }
    self.calls.push_back("HttpOpenRequestA(" + HandleName(connection) + ", " + Quoted(verb) + ", " +
                         Quoted(objectName) + ", " + Quoted(version) + ", " + Quoted(referrer) + ", " + accept + ", " +
                         Hex(flags) + ", " + Number(context) + ")");
    // Like WinInet: a request needs an HTTP connection.
    if (self.connectedService_ != INTERNET_SERVICE_HTTP) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return nullptr;
    }
    return kRequest;
}

BOOL WINAPI RecordingWinInet::SendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                          DWORD optionalLength) {
    RecordingWinInet& self = Current();
    self.calls.push_back("HttpSendRequestA(" + HandleName(request) + ", " + Quoted(headers, headersLength) + ", " +
                         Number(headersLength) + ", " + (optional == nullptr ? "null" : "data") + ", " +
                         Number(optionalLength) + ")");
    if (self.sendFails) {
        SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RecordingWinInet::QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                                        LPDWORD index) {
    RecordingWinInet& self = Current();
    self.calls.push_back("HttpQueryInfoA(" + HandleName(request) + ", " + Number(infoLevel) + ", " +
                         Number(*bufferLength) + ", " + (index == nullptr ? "null" : "index") + ")");
    if (!self.contentLength) {
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
    }
    const std::string& text = *self.contentLength;
    if (text.size() + 1 > *bufferLength) {
        *bufferLength = static_cast<DWORD>(text.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *bufferLength = static_cast<DWORD>(text.size());
    return TRUE;
}

BOOL WINAPI RecordingWinInet::ReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
    RecordingWinInet& self = Current();
    ++self.readCalls;
    // An endless body would fill the record with thousands of equal lines: count them instead.
    if (!self.endlessBody || self.readCalls == 1) {
        self.calls.push_back("InternetReadFile(" + HandleName(file) + ", " + Number(bytesToRead) + ")");
    }
    *bytesRead = 0;
    if (self.endlessBody) {
        auto* bytes = static_cast<char*>(buffer);
        for (DWORD i = 0; i < bytesToRead; ++i) bytes[i] = EndlessByte(self.endlessOffset_++);
        *bytesRead = bytesToRead;
        return TRUE;
    }
    if (self.nextPiece_ < self.bodyPieces.size()) {
        const std::string& piece = self.bodyPieces[self.nextPiece_++];
        const DWORD count = std::min<DWORD>(bytesToRead, static_cast<DWORD>(piece.size()));
        std::memcpy(buffer, piece.data(), count);
        *bytesRead = count;
        return TRUE;
    }
    if (self.failReadAfterPieces) {
        SetLastError(ERROR_INTERNET_CONNECTION_RESET);
        return FALSE;
    }
    return TRUE;  // the end of the body: 0 bytes
}

BOOL WINAPI RecordingWinInet::CloseHandle(HINTERNET internet) {
    Current().calls.push_back("InternetCloseHandle(" + HandleName(internet) + ")");
    return TRUE;
}

}  // namespace zendalo::testing
