#include "support/web/wininet_functions.h"

namespace zendalo {

const WinInetFunctions& WinInetFunctions::System() noexcept {
    static const WinInetFunctions system{
        .canonicalizeUrl = &::InternetCanonicalizeUrlA,
        .crackUrl = &::InternetCrackUrlA,
        .open = &::InternetOpenA,
        .connect = &::InternetConnectA,
        .setOption = &::InternetSetOptionA,
        .openRequest = &::HttpOpenRequestA,
        .sendRequest = &::HttpSendRequestA,
        .queryInfo = &::HttpQueryInfoA,
        .readFile = &::InternetReadFile,
        .closeHandle = &::InternetCloseHandle,
    };
    return system;
}

}  // namespace zendalo
