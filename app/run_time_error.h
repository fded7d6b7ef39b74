// The run-time error path: events stop, the user is told, the process ends with exit code -1.
#pragma once

#include <new>

namespace zendalo {

enum class RunTimeError {
    StartWindowNotCreated,  // the start window is not described or the system refused to create it
    OutOfMemory,
    WindowNotLoaded,        // a control of a window that does not exist was addressed
    Unexpected,             // any other exception that reached the shell
};

// Suspends event delivery, shows the error box, releases the window descriptions and ends the
// process at once with exit code -1. Never returns.
[[noreturn]] void TakeRunTimeErrorPath(RunTimeError error) noexcept;

// Runs `action` and takes the run-time error path for any exception that escapes it, so that no
// exception unwinds through the system's frames (window procedures, the message loop's callers).
template <typename Action>
auto WithRunTimeErrorPath(Action&& action) noexcept -> decltype(action()) {
    try {
        return action();
    } catch (const std::bad_alloc&) {
        TakeRunTimeErrorPath(RunTimeError::OutOfMemory);
    } catch (...) {
        TakeRunTimeErrorPath(RunTimeError::Unexpected);
    }
}

}  // namespace zendalo
