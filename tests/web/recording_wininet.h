// A stand-in for the WinInet functions of the fetch. It writes down every call with its
// arguments, in order, and answers as a test scripts it. The URL functions (canonicalize, crack)
// are recorded and then passed on to the real WinInet, which does no network work in them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "support/web/wininet_functions.h"

namespace zendalo::testing {

class RecordingWinInet {
public:
    // Fixed handles, named so in the record.
    static inline const HINTERNET kRoot = reinterpret_cast<HINTERNET>(0x1000);
    static inline const HINTERNET kConnection = reinterpret_cast<HINTERNET>(0x2000);
    static inline const HINTERNET kRequest = reinterpret_cast<HINTERNET>(0x3000);

    // Only one stand-in is active at a time: its functions are plain function pointers.
    RecordingWinInet();
    ~RecordingWinInet();
    RecordingWinInet(const RecordingWinInet&) = delete;
    RecordingWinInet& operator=(const RecordingWinInet&) = delete;

    [[nodiscard]] const WinInetFunctions& Functions() const noexcept { return functions_; }

    // The calls so far, one line each, e.g. `InternetCloseHandle(request)`.
    std::vector<std::string> calls;

    // The script. By default every call succeeds and the response declares no length and has an
    // empty body.
    std::optional<DWORD> canonicalizeError;  // the first canonicalize call fails with this error
    bool openFails = false;
    bool sendFails = false;
    std::optional<std::string> contentLength;  // the header's text; none: the query fails
    std::vector<std::string> bodyPieces;       // one per successful read, then 0 bytes
    bool failReadAfterPieces = false;          // after the pieces a read fails instead of ending
    bool endlessBody = false;                  // every read fills the buffer, never ending
    std::size_t readCalls = 0;

    // The bytes an endless body delivers, from its start.
    static std::string EndlessBodyPrefix(std::size_t length);

private:
    WinInetFunctions functions_;
    std::size_t endlessOffset_ = 0;
    std::size_t nextPiece_ = 0;

    static RecordingWinInet& Current();
    static std::string HandleName(HINTERNET handle);

    static BOOL WINAPI CanonicalizeUrl(LPCSTR url, LPSTR buffer, LPDWORD bufferLength, DWORD flags);
    static BOOL WINAPI CrackUrl(LPCSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSA components);
    static HINTERNET WINAPI Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
    static HINTERNET WINAPI Connect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                                    LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
    static BOOL WINAPI SetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength);
    static HINTERNET WINAPI OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                        LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
    static BOOL WINAPI SendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                   DWORD optionalLength);
    static BOOL WINAPI QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                                 LPDWORD index);
    static BOOL WINAPI ReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
    static BOOL WINAPI CloseHandle(HINTERNET internet);

    DWORD connectedService_ = 0;
};

// A text as a C literal would show it: quotes, with \r, \n and other control bytes escaped;
// a null pointer as `null`.
std::string Quoted(const char* text);
std::string Quoted(const char* text, std::size_t length);
std::string Hex(unsigned long value);

}  // namespace zendalo::testing
