#include "app/tab_order.h"

#include <algorithm>

namespace zendalo {

std::vector<std::size_t> TabOrder(std::span<const TabStopCandidate> controls) {
    std::vector<std::size_t> order;
    for (std::size_t index = 0; index < controls.size(); ++index) {
        if (controls[index].takesFocus) order.push_back(index);
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (controls[a].tabOrderNumber != controls[b].tabOrderNumber) {
            return controls[a].tabOrderNumber < controls[b].tabOrderNumber;
        }
        return a > b;  // later in the description first
    });
    return order;
}

std::optional<std::size_t> NextTabStop(std::size_t count, std::optional<std::size_t> current, bool forward) {
    if (count == 0) return std::nullopt;
    if (!current || *current >= count) return forward ? 0 : count - 1;
    return forward ? (*current + 1) % count : (*current + count - 1) % count;
}

}  // namespace zendalo
