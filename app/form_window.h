// A top-level window made from its description: the window, its controls, its icons, its
// keyboard handling and focus, and the events it raises towards the shell.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/label.h"
#include "app/win32_handles.h"
#include "app/window_base.h"
#include "app/window_description.h"
#include "support/text/text.h"

namespace zendalo {

class Shell;

class FormWindow final : public WindowBase {
public:
    // Creates the window, hidden and centred on the screen, and its controls, shown. Null when the
    // system refuses the window or any control; nothing of it is left then.
    static std::unique_ptr<FormWindow> Create(const WindowDescription& description, Shell& shell);
    ~FormWindow() override;

    [[nodiscard]] std::uint32_t Number() const noexcept { return description_.number; }

    // Shows and activates the window (SW_SHOW); its focus then goes to a control.
    void ShowAndActivate();

    // The window's own handling of a key press meant for it or one of its controls, offered every
    // message before it is translated and dispatched. True when the window consumed it.
    bool HandleKeyboard(const MSG& message);

    // Writes a property of a control: property 8 of an edit box is its content, shown byte for
    // byte, caret at the start, followed by exactly one content-changed event. Other properties
    // and kinds are left as they are. False when the window has no such control.
    bool SetControlProperty(std::uint32_t controlNumber, std::int32_t property, const Text& value);

    // The window of a control, or null.
    [[nodiscard]] HWND ControlHandle(std::uint32_t controlNumber) const noexcept;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    struct Control {
        const ControlDescription* description;
        HWND handle;
        std::unique_ptr<Label> label;  // labels paint themselves; the system's classes do the rest
    };

    FormWindow(const WindowDescription& description, Shell& shell) : description_(description), shell_(shell) {}

    bool CreateWindowAndControls();
    void SetIcons();
    bool CreateControl(const ControlDescription& control);
    HWND CreateSystemControl(const char* className, const ControlDescription& control);
    void ApplyEditHeightRule(HWND edit, const ControlDescription& control);

    [[nodiscard]] const Control* ControlByHandle(HWND window) const noexcept;
    [[nodiscard]] const Control* ControlByNumber(std::uint32_t number) const noexcept;
    [[nodiscard]] std::vector<std::size_t> CurrentTabOrder() const;
    [[nodiscard]] bool FocusedControlClaims(std::uint32_t virtualKey) const;
    void MoveFocus(bool forward);
    void FocusRememberedOrFirst();
    void OnCommand(HWND from, UINT notification);
    void WriteEditContent(const Control& edit, const Text& value);

    const WindowDescription& description_;
    Shell& shell_;
    HFONT font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // a stock object: never deleted
    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    std::vector<Control> controls_;  // in description order
    HWND focusOnDeactivation_ = nullptr;
    bool writingContent_ = false;  // the change a write makes raises no event of its own
};

}  // namespace zendalo
