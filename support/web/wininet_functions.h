// The WinInet functions that the fetch calls, as one table: the system's own by default, a
// recording stand-in in the tests of the fetch's calls.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace zendalo {

struct WinInetFunctions {
    decltype(&::InternetCanonicalizeUrlA) canonicalizeUrl;
    decltype(&::InternetCrackUrlA) crackUrl;
    decltype(&::InternetOpenA) open;
    decltype(&::InternetConnectA) connect;
    decltype(&::InternetSetOptionA) setOption;
    decltype(&::HttpOpenRequestA) openRequest;
    decltype(&::HttpSendRequestA) sendRequest;
    decltype(&::HttpQueryInfoA) queryInfo;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetCloseHandle) closeHandle;

    // The functions of WININET.dll.
    static const WinInetFunctions& System() noexcept;
};

}  // namespace zendalo
