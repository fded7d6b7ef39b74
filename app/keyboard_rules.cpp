#include "app/keyboard_rules.h"

namespace zendalo {

KeyAction WindowKeyAction(std::uint32_t virtualKey, Modifiers modifiers) noexcept {
    if (virtualKey == keys::Tab && modifiers.None()) return KeyAction::FocusNext;
    if (virtualKey == keys::Tab && modifiers.ShiftOnly()) return KeyAction::FocusPrevious;
    if (virtualKey == keys::Escape && modifiers.None()) return KeyAction::RequestClose;
    return KeyAction::PassOn;
}

bool EditBoxClaimsKey(std::uint32_t virtualKey, bool multiLine, bool readOnly) noexcept {
    return virtualKey == keys::Enter && multiLine && !readOnly;
}

}  // namespace zendalo
