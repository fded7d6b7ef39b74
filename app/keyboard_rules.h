// What the main window does with a key press before the focused control sees it.
#pragma once

#include <cstdint>

namespace zendalo {

// Virtual-key codes, as the windowing system numbers them.
namespace keys {
inline constexpr std::uint32_t Tab = 0x09;
inline constexpr std::uint32_t Enter = 0x0D;
inline constexpr std::uint32_t Escape = 0x1B;
}  // namespace keys

// The modifier keys held down with a key.
struct Modifiers {
    bool control = false;
    bool shift = false;
    bool alt = false;

    [[nodiscard]] bool None() const noexcept { return !control && !shift && !alt; }
    [[nodiscard]] bool ShiftOnly() const noexcept { return shift && !control && !alt; }
};

enum class KeyAction {
    PassOn,           // not the window's: translated and dispatched as usual
    FocusNext,        // consumed
    FocusPrevious,    // consumed
    RequestClose,     // consumed
};

// Tab and Shift+Tab move the focus, Esc asks the window to close; every other key (Enter, F1,
// Alt with a letter or digit among them) is passed on. A key counts only with exactly the
// modifiers its row names.
KeyAction WindowKeyAction(std::uint32_t virtualKey, Modifiers modifiers) noexcept;

// Whether the focused control wants the key for itself, so that the window leaves it alone: only
// a multi-line edit box that is not read-only claims Enter.
bool EditBoxClaimsKey(std::uint32_t virtualKey, bool multiLine, bool readOnly) noexcept;

}  // namespace zendalo
