// A window of the program's own class bound to the C++ object that handles its messages.
#pragma once

#include <windows.h>

#include "app/win32_handles.h"

namespace zendalo {

// The name of the program's own window class, used by the main window and by the labels. It is
// registered on first use: arrow pointer, no class background brush, double-click messages,
// whole redraw on resize.
const char* OwnWindowClassName();

// One object per window. The object is bound to its window from WM_NCCREATE to WM_NCDESTROY and
// owns it: destroying the object destroys a window that still exists.
class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase() = default;

    [[nodiscard]] HWND Handle() const noexcept { return window_.Get(); }
    [[nodiscard]] bool Exists() const noexcept { return static_cast<bool>(window_); }

protected:
    WindowBase() = default;

    // Creates the window in the program's own class; false when the system refuses.
    bool CreateOwnClassWindow(DWORD extendedStyle, const char* text, DWORD style, int left, int top, int width,
                              int height, HWND parent, HMENU childNumber);

    // Messages not handled here go to DefWindowProcA.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(Handle(), message, wParam, lParam);
    }

    // Called once the window is gone (after WM_NCDESTROY); Handle() is then null.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    UniqueWindow window_;
};

}  // namespace zendalo
