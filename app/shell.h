// The application shell: start-up, the window set, event delivery, the event loop, shut-down.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "app/event_delivery.h"
#include "app/form_window.h"
#include "app/window_description.h"

namespace zendalo {

// The whole life of a program on the calling (user-interface) thread: ProgramStart, then
// shut-down, then the process's internet handle (WebAccess) is closed. Returns the process exit
// code: the one the quit request carried, 0. A run-time error ends the process with -1 instead
// and does not return.
int RunProgram(const ProgramDescription& program);

// The shell's state for the whole process. One exists at a time; windows, SetControlContent and the
// run-time error path find it through Current().
class Shell {
public:
    Shell();
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // The shell of the process, or null when there is none.
    static Shell* Current() noexcept;

    // Application start, loading the start window, the event loop. Returns 0 once the loop has
    // ended; takes the run-time error path when the start window cannot be loaded.
    int ProgramStart(const ProgramDescription& program);

    // Suspends events for good and releases the descriptions. Returns the process exit code.
    std::int32_t ShutDown();

    // The steps of ProgramStart, on their own for tests.
    void ApplicationStart(std::span<const WindowDescription> windows);  // current directory, bindings
    FormWindow* LoadWindow(std::uint32_t windowNumber);  // null when not described or not created
    void RunEventLoop();

    void DeliverEvent(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber) const;

    // A loaded window that still exists, or null.
    [[nodiscard]] FormWindow* LoadedWindow(std::uint32_t windowNumber) const noexcept;

    // Called by a window once it is gone: with no window left after the loop was entered, the
    // quit request is posted with code 0.
    void WindowGone();

    // The run-time error path's part in the shell: suspend events, release the descriptions.
    void StopForRunTimeError() noexcept;

private:
    [[nodiscard]] bool AnyWindowExists() const noexcept;
    [[nodiscard]] FormWindow* WindowOfHandle(HWND window) const noexcept;
    bool OfferToKeyboardHandling(const MSG& message);
    void ReleaseDescriptions() noexcept;

    std::span<const WindowDescription> descriptions_;
    EventDelivery events_;
    std::vector<std::unique_ptr<FormWindow>> windows_;  // the loaded windows; the gone ones included
    bool loopEntered_ = false;
    std::int32_t exitCode_ = 0;
};

}  // namespace zendalo
