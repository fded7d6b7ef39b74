#include "app/event_delivery.h"

#include <algorithm>

namespace zendalo {

void EventDelivery::Bind(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber,
                         EventHandler handler) {
    auto& events = bindings_[{windowNumber, controlNumber}];
    const auto bound = std::find_if(events.begin(), events.end(),
                                    [&](const auto& binding) { return binding.first == eventNumber; });
    if (bound != events.end()) {
        bound->second = handler;
    } else {
        events.emplace_back(eventNumber, handler);
    }
}

void EventDelivery::Deliver(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber) const {
    if (Suspended()) return;
    const auto source = bindings_.find({windowNumber, controlNumber});
    if (source == bindings_.end()) return;
    const auto& events = source->second;
    const auto bound = std::find_if(events.begin(), events.end(),
                                    [&](const auto& binding) { return binding.first == eventNumber; });
    if (bound != events.end() && bound->second != nullptr) bound->second();
}

}  // namespace zendalo
