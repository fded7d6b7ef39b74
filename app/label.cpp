#include "app/label.h"

#include <string>

namespace zendalo {
namespace {

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

Label::~Label() {
    if (Exists()) DestroyWindow(Handle());
}

bool Label::Create(const ControlDescription& description, HWND parent) {
    return CreateOwnClassWindow(description.extendedStyle, description.text, description.style, description.left,
                                description.top, description.width, description.height, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(description.number)));
}

LRESULT Label::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // painting fills the whole update area
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0) InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        return WindowBase::HandleMessage(message, wParam, lParam);
    }
}

void Label::Paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(Handle(), &paint);
    if (dc == nullptr) return;
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    std::string caption = WindowText(Handle());
    if (!caption.empty()) {
        RECT client{};
        GetClientRect(Handle(), &client);
        const HGDIOBJ previousFont = SelectObject(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &client,
                  DT_LEFT | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        SelectObject(dc, previousFont);
    }
    EndPaint(Handle(), &paint);
}

}  // namespace zendalo
