// Drives a running Windows program the way a person would: starts it, finds its window, reads its
// controls and focus, types keys, clicks, closes it and reads its exit code. For tests that run
// as a second program next to the one under test (under Wine or on Windows).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zendalo::driver {

// Waits are in milliseconds. (<chrono> cannot be used: in C++20 it holds a "µ" literal, which the
// program's code page 936 has no byte for.)
using Milliseconds = DWORD;

// How long a wait for an effect of the program lasts before it counts as failed.
inline constexpr Milliseconds kPatience = 10000;

// ---- files ---------------------------------------------------------------------------------

// The full path of the running (test) program.
std::string ThisProgramPath();
// The folder of a path: everything before its last backslash.
std::string FolderOf(std::string_view path);
// `relative` (backslashes, ".." allowed) resolved against the folder of the running program.
std::string PathNextToThisProgram(std::string_view relative);

// ---- a program under test ------------------------------------------------------------------

class RunningProgram {
public:
    // Starts `programPath` with `arguments`, with `workingDirectory` as its current directory.
    // Nothing when the system cannot start it.
    static std::optional<RunningProgram> Start(const std::string& programPath, const std::string& arguments,
                                               const std::string& workingDirectory);

    RunningProgram(RunningProgram&& other) noexcept;
    RunningProgram& operator=(RunningProgram&& other) noexcept;
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    // Ends a program that still runs (a test that failed half-way leaves nothing behind).
    ~RunningProgram();

    [[nodiscard]] DWORD ProcessId() const noexcept { return processId_; }

    // The program's visible top-level windows, message boxes included.
    [[nodiscard]] std::vector<HWND> VisibleTopLevelWindows() const;
    // Its first visible top-level window that is not a dialog box; null after `patience`.
    HWND WaitForMainWindow(Milliseconds patience = kPatience) const;
    // Its first visible dialog box (a message box is one); null after `patience`.
    HWND WaitForMessageBox(Milliseconds patience = kPatience) const;

    // The exit code once the process has ended; nothing if it still runs after `patience`.
    std::optional<DWORD> WaitForExit(Milliseconds patience = kPatience) const;

private:
    RunningProgram(HANDLE process, DWORD processId) noexcept : process_(process), processId_(processId) {}
    void EndAndRelease() noexcept;
    HWND WaitForTopLevel(bool dialog, Milliseconds patience) const;

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// ---- reading windows -----------------------------------------------------------------------

struct WindowInfo {
    HWND handle = nullptr;
    std::string className;
    std::string text;  // the bytes that WM_GETTEXT gives, in the ANSI code page
    RECT rect{};       // a top-level window's in screen coordinates, a control's in its parent's client area
    DWORD style = 0;
    DWORD extendedStyle = 0;
    std::uint32_t number = 0;  // a control's number (its child identifier)
    HWND owner = nullptr;
    bool visible = false;
    bool enabled = false;
};

WindowInfo DescribeWindow(HWND window);
// The direct children of `window`, top of the z-order first.
std::vector<WindowInfo> ListControls(HWND window);
// The child numbered `number`, or nothing.
std::optional<WindowInfo> FindControl(HWND window, std::uint32_t number);
// The bytes of a window's text, read with WM_GETTEXT (works across processes).
std::string WindowText(HWND window);
// The size of a top-level window's client area.
SIZE ClientSize(HWND window);

// True when neither `window` nor any of its direct children waits to be painted.
bool IsFullyPainted(HWND window);

// The window with the keyboard focus in the thread that owns `topLevel`.
HWND FocusedWindow(HWND topLevel);

// Polls `condition` every few milliseconds; false if it is still not met after `patience`.
bool WaitUntil(const std::function<bool()>& condition, Milliseconds patience = kPatience);
bool WaitForFocus(HWND topLevel, HWND expected, Milliseconds patience = kPatience);
bool WaitForText(HWND window, std::string_view expected, Milliseconds patience = kPatience);

// ---- acting on windows ---------------------------------------------------------------------

struct KeyChord {
    WORD key = 0;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// Makes `topLevel` the foreground window and waits until it is.
bool BringToForeground(HWND topLevel);
// Brings `topLevel` to the foreground and types the chord with SendInput: modifiers down, key
// down and up, modifiers up.
bool PressKeys(HWND topLevel, KeyChord chord);
// Moves the mouse to a point of `window` (client coordinates) and clicks the left button with
// SendInput. The window's top-level window is brought to the foreground first.
bool ClickWithMouse(HWND window, POINT clientPoint);
bool ClickCentreWithMouse(HWND window);
// Clicks the close box of `topLevel` with the mouse, found by asking the window for the HTCLOSE
// hit-test area. Needs a frame that the system draws and hit-tests (Windows; Wine with unmanaged
// windows, as scripts/wine-env.sh sets up, or in its virtual desktop).
bool ClickCloseBox(HWND topLevel);
// Presses the left button at `from`, moves the mouse in steps to `to` and lets go (screen points).
bool DragWithMouse(HWND topLevel, POINT from, POINT to);
// BM_CLICK: a synchronous click of a button, its handler done when this returns.
void ClickButton(HWND button);
void PostClose(HWND topLevel);        // WM_CLOSE
void PostSystemClose(HWND topLevel);  // WM_SYSCOMMAND with SC_CLOSE, as the close box and system menu send

// The texts of a message box's children joined by newlines, and pressing its OK button.
std::string MessageBoxText(HWND box);
void DismissMessageBox(HWND box);

// ---- pictures ------------------------------------------------------------------------------

// Saves the screen, or the part of it that `area` covers, as a PNG at `unixPath` with
// ImageMagick's `import -window root`, which Wine runs as a Unix program. False when that cannot
// be done (not under Wine, no ImageMagick, no X display).
bool SaveScreenPng(const std::string& unixPath, const std::optional<RECT>& area = std::nullopt);

}  // namespace zendalo::driver
