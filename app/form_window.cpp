#include "app/form_window.h"

#include <optional>
#include <span>

#include "app/icon_directory.h"
#include "app/keyboard_rules.h"
#include "app/shell.h"
#include "app/tab_order.h"
#include "app/window_geometry.h"

namespace zendalo {
namespace {

static_assert(keys::Tab == VK_TAB && keys::Enter == VK_RETURN && keys::Escape == VK_ESCAPE);

constexpr std::int32_t kLargeIconWidth = 32;
constexpr std::int32_t kSmallIconWidth = 16;
constexpr char kFallbackIconName[] = "DEFAULT_ICON";
constexpr DWORD kIconFormatVersion = 0x00030000;
// The text whose height decides how high a single-line edit box must be.
constexpr char kEditHeightSample[] = "吴";

HMENU ChildNumber(std::uint32_t controlNumber) {
    return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlNumber));
}

// The icon for `width` from the window's icon file, or the program's DEFAULT_ICON at that size
// when the file yields none.
UniqueIcon MakeWindowIcon(std::span<const unsigned char> iconFile, std::int32_t width) {
    if (const auto image = ChooseIconImage(iconFile, width)) {
        // The system only reads the bytes; its declaration predates const.
        auto* bytes = const_cast<PBYTE>(image->bytes.data());
        const HICON icon = CreateIconFromResourceEx(bytes, static_cast<DWORD>(image->bytes.size()), TRUE,
                                                    kIconFormatVersion, image->width, image->height, LR_DEFAULTCOLOR);
        if (icon != nullptr) return UniqueIcon(icon);
    }
    return UniqueIcon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), kFallbackIconName, IMAGE_ICON, width, width, LR_DEFAULTCOLOR)));
}

Modifiers HeldModifiers() {
    const auto held = [](int key) { return GetKeyState(key) < 0; };
    return {held(VK_CONTROL), held(VK_SHIFT), held(VK_MENU)};
}

bool HasStyle(HWND window, DWORD style) {
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

}  // namespace

std::unique_ptr<FormWindow> FormWindow::Create(const WindowDescription& description, Shell& shell) {
    std::unique_ptr<FormWindow> form(new FormWindow(description, shell));
    if (!form->CreateWindowAndControls()) return nullptr;
    return form;
}

FormWindow::~FormWindow() {
    // The window goes first: it must not outlive the icons it shows.
    if (Exists()) DestroyWindow(Handle());
}

bool FormWindow::CreateWindowAndControls() {
    const Point origin = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                       description_.width, description_.height);
    if (!CreateOwnClassWindow(description_.extendedStyle, description_.caption, description_.style, origin.x,
                              origin.y, description_.width, description_.height, nullptr, nullptr)) {
        return false;
    }
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    if (outer.right - outer.left != description_.width || outer.bottom - outer.top != description_.height) {
        SetWindowPos(Handle(), nullptr, origin.x, origin.y, description_.width, description_.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetIcons();
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    controls_.reserve(description_.controls.size());
    for (const ControlDescription& control : description_.controls) {
        if (!CreateControl(control)) return false;
    }
    for (const Control& control : controls_) ShowWindow(control.handle, SW_SHOWNA);
    return true;
}

void FormWindow::SetIcons() {
    largeIcon_ = MakeWindowIcon(description_.icon, kLargeIconWidth);
    smallIcon_ = MakeWindowIcon(description_.icon, kSmallIconWidth);
    if (largeIcon_) SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.Get()));
    if (smallIcon_) SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

bool FormWindow::CreateControl(const ControlDescription& control) {
    Control created{&control, nullptr, nullptr};
    switch (control.kind) {
    case ControlKind::EditBox:
        created.handle = CreateSystemControl("EDIT", control);
        if (created.handle == nullptr) return false;
        SendMessageA(created.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        ApplyEditHeightRule(created.handle, control);
        SendMessageA(created.handle, EM_LIMITTEXT, 0, 0);  // the system's own maximum
        SendMessageA(created.handle, EM_SETSEL, 0, 0);
        SendMessageA(created.handle, EM_SCROLLCARET, 0, 0);
        break;
    case ControlKind::Button:
        created.handle = CreateSystemControl("BUTTON", control);
        if (created.handle == nullptr) return false;
        SendMessageA(created.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        break;
    case ControlKind::Label:
        created.label = std::make_unique<Label>();
        if (!created.label->Create(control, Handle())) return false;
        created.handle = created.label->Handle();
        SendMessageA(created.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        break;
    }
    controls_.push_back(std::move(created));
    return true;
}

HWND FormWindow::CreateSystemControl(const char* className, const ControlDescription& control) {
    return CreateWindowExA(control.extendedStyle, className, control.text, control.style, control.left, control.top,
                           control.width, control.height, Handle(), ChildNumber(control.number),
                           GetModuleHandleA(nullptr), nullptr);
}

void FormWindow::ApplyEditHeightRule(HWND edit, const ControlDescription& control) {
    if (HasStyle(edit, ES_MULTILINE)) return;
    SIZE sample{};
    const HDC dc = GetDC(edit);
    if (dc == nullptr) return;
    const HGDIOBJ previousFont = SelectObject(dc, font_);
    const BOOL measured = GetTextExtentPoint32A(dc, kEditHeightSample, sizeof kEditHeightSample - 1, &sample);
    SelectObject(dc, previousFont);
    ReleaseDC(edit, dc);
    if (!measured) return;
    const std::int32_t height = EditBoxHeight(control.height, sample.cy, GetSystemMetrics(SM_CYEDGE));
    if (height != control.height) {
        SetWindowPos(edit, nullptr, 0, 0, control.width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormWindow::ShowAndActivate() { ShowWindow(Handle(), SW_SHOW); }

HWND FormWindow::ControlHandle(std::uint32_t controlNumber) const noexcept {
    const Control* control = ControlByNumber(controlNumber);
    return control != nullptr ? control->handle : nullptr;
}

const FormWindow::Control* FormWindow::ControlByHandle(HWND window) const noexcept {
    if (window == nullptr) return nullptr;
    for (const Control& control : controls_) {
        if (control.handle == window) return &control;
    }
    return nullptr;
}

const FormWindow::Control* FormWindow::ControlByNumber(std::uint32_t number) const noexcept {
    for (const Control& control : controls_) {
        if (control.description->number == number) return &control;
    }
    return nullptr;
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(Handle(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLOREDIT: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
        if (lParam != 0) OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (ControlByHandle(focus) != nullptr) focusOnDeactivation_ = focus;
        }
        return WindowBase::HandleMessage(message, wParam, lParam);  // focuses the window on activation
    case WM_SETFOCUS:
        FocusRememberedOrFirst();
        return 0;
    case WM_CLOSE:
        // The close query has no handler, so a close is always granted.
        shell_.DeliverEvent(Number(), Number(), events::CloseQuery);
        DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        shell_.DeliverEvent(Number(), Number(), events::Destroying);
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        return WindowBase::HandleMessage(message, wParam, lParam);
    }
}

void FormWindow::OnDestroyed() {
    for (Control& control : controls_) control.handle = nullptr;  // children go before their parent
    focusOnDeactivation_ = nullptr;
    shell_.WindowGone();
}

void FormWindow::OnCommand(HWND from, UINT notification) {
    const Control* control = ControlByHandle(from);
    if (control == nullptr) return;
    const std::uint32_t number = control->description->number;
    if (control->description->kind == ControlKind::Button && notification == BN_CLICKED) {
        shell_.DeliverEvent(Number(), number, events::Clicked);
    } else if (control->description->kind == ControlKind::EditBox && notification == EN_CHANGE && !writingContent_) {
        shell_.DeliverEvent(Number(), number, events::ContentChanged);
    }
}

bool FormWindow::HandleKeyboard(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!Exists() || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) return false;
    if (!IsWindowEnabled(message.hwnd)) return false;
    const auto virtualKey = static_cast<std::uint32_t>(message.wParam);
    if (FocusedControlClaims(virtualKey)) return false;
    switch (WindowKeyAction(virtualKey, HeldModifiers())) {
    case KeyAction::FocusNext:
        MoveFocus(true);
        return true;
    case KeyAction::FocusPrevious:
        MoveFocus(false);
        return true;
    case KeyAction::RequestClose:
        SendMessageA(Handle(), WM_CLOSE, 0, 0);
        return true;
    case KeyAction::PassOn:
        break;
    }
    return false;
}

bool FormWindow::FocusedControlClaims(std::uint32_t virtualKey) const {
    const HWND focus = GetFocus();
    const Control* control = ControlByHandle(focus);
    if (control == nullptr || control->description->kind != ControlKind::EditBox) return false;
    return EditBoxClaimsKey(virtualKey, HasStyle(focus, ES_MULTILINE), HasStyle(focus, ES_READONLY));
}

std::vector<std::size_t> FormWindow::CurrentTabOrder() const {
    std::vector<TabStopCandidate> candidates;
    candidates.reserve(controls_.size());
    for (const Control& control : controls_) {
        const bool takesFocus = control.handle != nullptr && IsWindow(control.handle) &&
                                HasStyle(control.handle, WS_VISIBLE | WS_TABSTOP) && IsWindowEnabled(control.handle);
        candidates.push_back({control.description->tabOrderNumber, takesFocus});
    }
    return TabOrder(candidates);
}

void FormWindow::MoveFocus(bool forward) {
    const std::vector<std::size_t> order = CurrentTabOrder();
    const HWND focus = GetFocus();
    std::optional<std::size_t> current;
    for (std::size_t place = 0; place < order.size(); ++place) {
        if (controls_[order[place]].handle == focus) current = place;
    }
    if (const auto next = NextTabStop(order.size(), current, forward)) SetFocus(controls_[order[*next]].handle);
}

void FormWindow::FocusRememberedOrFirst() {
    if (focusOnDeactivation_ != nullptr && IsWindow(focusOnDeactivation_) && IsChild(Handle(), focusOnDeactivation_)) {
        SetFocus(focusOnDeactivation_);
        return;
    }
    const std::vector<std::size_t> order = CurrentTabOrder();
    if (!order.empty()) SetFocus(controls_[order.front()].handle);
}

bool FormWindow::SetControlProperty(std::uint32_t controlNumber, std::int32_t property, const Text& value) {
    const Control* control = ControlByNumber(controlNumber);
    if (control == nullptr || control->handle == nullptr) return false;
    if (property == kContentProperty && control->description->kind == ControlKind::EditBox) {
        WriteEditContent(*control, value);
    }
    return true;
}

void FormWindow::WriteEditContent(const Control& edit, const Text& value) {
    writingContent_ = true;
    SetWindowTextA(edit.handle, value.CStr());
    writingContent_ = false;
    SendMessageA(edit.handle, EM_SETSEL, 0, 0);
    SendMessageA(edit.handle, EM_SCROLLCARET, 0, 0);
    UpdateWindow(edit.handle);  // shown at once, even while the handler that wrote it still runs
    shell_.DeliverEvent(Number(), edit.description->number, events::ContentChanged);
}

}  // namespace zendalo
