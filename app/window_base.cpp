#include "app/window_base.h"

#include "app/run_time_error.h"

namespace zendalo {
namespace {

constexpr char kOwnClassName[] = "ZendaloWindow";
constexpr int kObjectSlot = 0;  // the window's extra bytes hold its object

}  // namespace

const char* OwnWindowClassName() { return kOwnClassName; }

bool WindowBase::CreateOwnClassWindow(DWORD extendedStyle, const char* text, DWORD style, int left, int top,
                                      int width, int height, HWND parent, HMENU childNumber) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, kOwnClassName, &existing)) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = &WindowBase::Procedure;
        windowClass.cbWndExtra = sizeof(LONG_PTR);
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = nullptr;
        windowClass.lpszClassName = kOwnClassName;
        if (RegisterClassExA(&windowClass) == 0) return false;
    }
    const HWND created = CreateWindowExA(extendedStyle, kOwnClassName, text, style, left, top, width, height, parent,
                                         childNumber, instance, this);
    return created != nullptr && created == Handle();
}

LRESULT CALLBACK WindowBase::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return WithRunTimeErrorPath([&]() -> LRESULT {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            if (self == nullptr) return FALSE;  // a window of this class without an object: refuse it
            SetWindowLongPtrA(window, kObjectSlot, reinterpret_cast<LONG_PTR>(self));
            self->window_.Reset(window);
        }
        auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(window, kObjectSlot));
        if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, kObjectSlot, 0);
            self->window_.Release();
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            self->OnDestroyed();
            return result;
        }
        return self->HandleMessage(message, wParam, lParam);
    });
}

}  // namespace zendalo
