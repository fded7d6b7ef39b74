// Move-only owner of one WinInet handle: closes it with the table's InternetCloseHandle.
#pragma once

#include <utility>

#include "support/web/wininet_functions.h"

namespace zendalo {

class InternetHandle {
public:
    InternetHandle() noexcept = default;
    // Takes `handle` (which may be null: then there is nothing to close).
    InternetHandle(HINTERNET handle, const WinInetFunctions& functions) noexcept
        : handle_(handle), functions_(&functions) {}

    InternetHandle(InternetHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), functions_(other.functions_) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
            functions_ = other.functions_;
        }
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() { Close(); }

    [[nodiscard]] HINTERNET Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

    // Closes the handle now, when there is one; its result tells nothing the caller could use.
    void Close() noexcept {
        if (handle_ != nullptr) functions_->closeHandle(std::exchange(handle_, nullptr));
    }

private:
    HINTERNET handle_ = nullptr;
    const WinInetFunctions* functions_ = nullptr;
};

}  // namespace zendalo
