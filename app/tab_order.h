// The order in which Tab and Shift+Tab move the focus through a window's controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zendalo {

// One control of a window as the tab order sees it, in description order.
struct TabStopCandidate {
    std::int32_t tabOrderNumber = 0;
    bool takesFocus = false;  // exists, is visible and enabled, and has the tab stop
};

// Indices (into `controls`) of the controls that take the focus, by tab-order number from low to
// high; among equal numbers a control later in the description comes first.
std::vector<std::size_t> TabOrder(std::span<const TabStopCandidate> controls);

// The place in a tab order of `count` controls that the focus moves to from `current` (no place
// when the focus is on none of them): one on, or one back, wrapping around at either end. No
// place when the order is empty.
std::optional<std::size_t> NextTabStop(std::size_t count, std::optional<std::size_t> current, bool forward);

}  // namespace zendalo
