// Delivering the events of windows and controls to the handlers bound to them.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace zendalo {

// A handler takes no arguments and returns nothing.
using EventHandler = void (*)();

// Events are addressed as (window number, control number, event number); the window itself is a
// control of its own, with the window's number as its control number.
class EventDelivery {
public:
    // Binds `handler` to the event, replacing an earlier binding: an event has at most one handler.
    void Bind(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber, EventHandler handler);

    // Runs the bound handler and returns when it has returned. Nothing happens while delivery is
    // suspended, or for an event without a handler.
    void Deliver(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber) const;

    // While the count is above 0 nothing is delivered. Creating a window raises it and lowers it
    // again; shut-down and the run-time error path only raise it.
    void Suspend() noexcept { ++suspensionCount_; }
    void Resume() noexcept { --suspensionCount_; }
    [[nodiscard]] bool Suspended() const noexcept { return suspensionCount_ > 0; }

    // Forgets every binding.
    void Clear() noexcept { bindings_.clear(); }

private:
    using Source = std::pair<std::uint32_t, std::uint32_t>;  // window number, control number
    std::map<Source, std::vector<std::pair<std::int32_t, EventHandler>>> bindings_;
    std::int32_t suspensionCount_ = 0;
};

}  // namespace zendalo
