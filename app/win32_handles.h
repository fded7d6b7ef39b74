// Move-only owners of Win32 handles: each handle is released exactly once, by its owner.
#pragma once

#include <windows.h>

#include <utility>

namespace zendalo {

template <typename Handle, auto Free>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    [[nodiscard]] Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

    // Gives the handle up without releasing it.
    Handle Release() noexcept { return std::exchange(handle_, nullptr); }

    void Reset(Handle handle = nullptr) noexcept {
        if (handle_ != nullptr) Free(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

namespace handle_release {
inline void Icon(HICON icon) noexcept { DestroyIcon(icon); }
inline void Window(HWND window) noexcept { DestroyWindow(window); }
}  // namespace handle_release

using UniqueIcon = UniqueHandle<HICON, handle_release::Icon>;
using UniqueWindow = UniqueHandle<HWND, handle_release::Window>;

}  // namespace zendalo
