// WebAccess: the root internet handle of the process, opened by the first fetch that needs it
// and kept open through every later fetch until the program ends.
#pragma once

#include "support/web/internet_handle.h"
#include "support/web/wininet_functions.h"

namespace zendalo {

class WebAccess {
public:
    // The agent text that every request carries as its User-Agent.
    static constexpr const char* kAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

    // Without a root handle until the first EnsureOpen.
    explicit WebAccess(const WinInetFunctions& functions = WinInetFunctions::System()) noexcept
        : functions_(&functions) {}

    WebAccess(const WebAccess&) = delete;
    WebAccess& operator=(const WebAccess&) = delete;

    // The one instance the program uses. The shell calls Process().Close() once at a normal end,
    // after the main window is gone.
    static WebAccess& Process() noexcept;

    // Opens the root handle when there is none (for direct access, synchronous); answers whether
    // there is one now. A failed open leaves none, so the next call tries again.
    bool EnsureOpen() noexcept;

    // Closes the root handle, when there is one.
    void Close() noexcept { root_.Close(); }

    [[nodiscard]] HINTERNET Root() const noexcept { return root_.Get(); }
    [[nodiscard]] const WinInetFunctions& Functions() const noexcept { return *functions_; }

private:
    const WinInetFunctions* functions_;
    InternetHandle root_;
};

}  // namespace zendalo
