#include "app/window_description.h"

namespace zendalo {

void BindDescribedHandlers(std::span<const WindowDescription> windows, EventDelivery& delivery) {
    for (const WindowDescription& window : windows) {
        for (const EventBinding& binding : window.bindings) {
            delivery.Bind(window.number, window.number, binding.eventNumber, binding.handler);
        }
        for (const ControlDescription& control : window.controls) {
            for (const EventBinding& binding : control.bindings) {
                delivery.Bind(window.number, control.number, binding.eventNumber, binding.handler);
            }
        }
    }
}

const WindowDescription* FindWindowDescription(std::span<const WindowDescription> windows, std::uint32_t number) {
    for (const WindowDescription& window : windows) {
        if (window.number == number) return &window;
    }
    return nullptr;
}

}  // namespace zendalo
