#include "tests/app/window_driver.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

namespace zendalo::driver {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr Milliseconds kPollInterval = 10;

std::string ClassName(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool SendInputs(std::vector<INPUT>& inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT MouseInput(DWORD flags, POINT screenPoint) {
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screenPoint.x, 65535, width - 1);
    input.mi.dy = MulDiv(screenPoint.y, 65535, height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

bool ClickScreenPoint(HWND topLevel, POINT screenPoint) {
    if (!BringToForeground(topLevel)) return false;
    std::vector<INPUT> inputs = {MouseInput(MOUSEEVENTF_MOVE, screenPoint), MouseInput(MOUSEEVENTF_LEFTDOWN, screenPoint),
                                 MouseInput(MOUSEEVENTF_LEFTUP, screenPoint)};
    return SendInputs(inputs);
}

// A PNG file that has been written to its end: its last chunk is IEND, with IEND's fixed CRC.
bool IsCompletePng(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    constexpr unsigned char kEnd[] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    unsigned char tail[sizeof kEnd] = {};
    DWORD read = 0;
    LARGE_INTEGER back{};
    back.QuadPart = -static_cast<LONGLONG>(sizeof tail);
    const bool complete = SetFilePointerEx(file, back, nullptr, FILE_END) &&
                          ReadFile(file, tail, sizeof tail, &read, nullptr) && read == sizeof tail &&
                          std::equal(std::begin(tail), std::end(tail), std::begin(kEnd));
    CloseHandle(file);
    return complete;
}

}  // namespace

// ---- files ---------------------------------------------------------------------------------

std::string ThisProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string FolderOf(std::string_view path) {
    const std::size_t cut = path.rfind('\\');
    return std::string(cut == std::string_view::npos ? std::string_view() : path.substr(0, cut));
}

std::string PathNextToThisProgram(std::string_view relative) {
    const std::string joined = FolderOf(ThisProgramPath()) + "\\" + std::string(relative);
    char full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameA(joined.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : joined;
}

// ---- a program under test ------------------------------------------------------------------

std::optional<RunningProgram> RunningProgram::Start(const std::string& programPath, const std::string& arguments,
                                                    const std::string& workingDirectory) {
    std::string commandLine = "\"" + programPath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine now and then fails to start a process while the machine is busy; a few tries, each
    // failure reported, keep that apart from a program that cannot be started at all.
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingDirectory.c_str(), &startup, &process)) {
            break;
        }
        std::fprintf(stderr, "starting %s failed (error %lu), try %d of %d\n", programPath.c_str(),
                     GetLastError(), attempt, kTries);
        if (attempt == kTries) return std::nullopt;
        Sleep(500);
    }
    CloseHandle(process.hThread);
    return RunningProgram(process.hProcess, process.dwProcessId);
}

RunningProgram::RunningProgram(RunningProgram&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), processId_(other.processId_) {}

RunningProgram& RunningProgram::operator=(RunningProgram&& other) noexcept {
    if (this != &other) {
        EndAndRelease();
        process_ = std::exchange(other.process_, nullptr);
        processId_ = other.processId_;
    }
    return *this;
}

RunningProgram::~RunningProgram() { EndAndRelease(); }

void RunningProgram::EndAndRelease() noexcept {
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kPatience);
    }
    CloseHandle(std::exchange(process_, nullptr));
}

std::vector<HWND> RunningProgram::VisibleTopLevelWindows() const {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId_, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND RunningProgram::WaitForTopLevel(bool dialog, Milliseconds patience) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleTopLevelWindows()) {
                if ((ClassName(window) == kDialogClass) == dialog) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        patience);
    return found;
}

HWND RunningProgram::WaitForMainWindow(Milliseconds patience) const {
    return WaitForTopLevel(false, patience);
}

HWND RunningProgram::WaitForMessageBox(Milliseconds patience) const {
    return WaitForTopLevel(true, patience);
}

std::optional<DWORD> RunningProgram::WaitForExit(Milliseconds patience) const {
    if (WaitForSingleObject(process_, patience) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process_, &exitCode)) return std::nullopt;
    return exitCode;
}

// ---- reading windows -----------------------------------------------------------------------

std::string WindowText(HWND window) {
    const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

WindowInfo DescribeWindow(HWND window) {
    WindowInfo info;
    info.handle = window;
    info.className = ClassName(window);
    info.text = WindowText(window);
    GetWindowRect(window, &info.rect);
    const HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent != nullptr) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    info.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    info.extendedStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    info.number = static_cast<std::uint32_t>(GetWindowLongPtrA(window, GWLP_ID));
    info.owner = GetWindow(window, GW_OWNER);
    info.visible = IsWindowVisible(window) != FALSE;
    info.enabled = IsWindowEnabled(window) != FALSE;
    return info;
}

std::vector<WindowInfo> ListControls(HWND window) {
    std::vector<WindowInfo> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(DescribeWindow(child));
    }
    return controls;
}

std::optional<WindowInfo> FindControl(HWND window, std::uint32_t number) {
    for (const WindowInfo& control : ListControls(window)) {
        if (control.number == number) return control;
    }
    return std::nullopt;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

bool IsFullyPainted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    for (const WindowInfo& control : ListControls(window)) {
        if (GetUpdateRect(control.handle, nullptr, FALSE)) return false;
    }
    return true;
}

HWND FocusedWindow(HWND topLevel) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(topLevel, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool WaitUntil(const std::function<bool()>& condition, Milliseconds patience) {
    const ULONGLONG deadline = GetTickCount64() + patience;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollInterval);
    }
}

bool WaitForFocus(HWND topLevel, HWND expected, Milliseconds patience) {
    return WaitUntil([&] { return FocusedWindow(topLevel) == expected; }, patience);
}

bool WaitForText(HWND window, std::string_view expected, Milliseconds patience) {
    return WaitUntil([&] { return WindowText(window) == expected; }, patience);
}

// ---- acting on windows ---------------------------------------------------------------------

bool BringToForeground(HWND topLevel) {
    if (GetForegroundWindow() == topLevel) return true;
    SetForegroundWindow(topLevel);
    return WaitUntil([&] { return GetForegroundWindow() == topLevel; }, kPatience);
}

bool PressKeys(HWND topLevel, KeyChord chord) {
    if (!BringToForeground(topLevel)) return false;
    std::vector<INPUT> inputs;
    const std::pair<bool, WORD> modifiers[] = {{chord.control, VK_CONTROL}, {chord.shift, VK_SHIFT}, {chord.alt, VK_MENU}};
    for (const auto& [held, key] : modifiers) {
        if (held) inputs.push_back(KeyInput(key, false));
    }
    inputs.push_back(KeyInput(chord.key, false));
    inputs.push_back(KeyInput(chord.key, true));
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) {
        if (it->first) inputs.push_back(KeyInput(it->second, true));
    }
    return SendInputs(inputs);
}

bool ClickWithMouse(HWND window, POINT clientPoint) {
    ClientToScreen(window, &clientPoint);
    return ClickScreenPoint(GetAncestor(window, GA_ROOT), clientPoint);
}

bool ClickCentreWithMouse(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return ClickWithMouse(window, {(client.left + client.right) / 2, (client.top + client.bottom) / 2});
}

bool ClickCloseBox(HWND topLevel) {
    RECT outer{};
    GetWindowRect(topLevel, &outer);
    // Right to left along the title bar until the window names a point its close box.
    const int bottom = outer.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    for (int y = outer.top; y < bottom; ++y) {
        for (int x = outer.right - 1; x > outer.left; --x) {
            if (SendMessageA(topLevel, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                // The middle of the close box's row is safer than its edge.
                return ClickScreenPoint(topLevel, {x - 4, y + 4});
            }
        }
    }
    return false;
}

bool DragWithMouse(HWND topLevel, POINT from, POINT to) {
    if (!BringToForeground(topLevel)) return false;
    // One input at a time, with pauses: the system's move and size loops start after the press
    // and follow the pointer from then on.
    constexpr int kSteps = 8;
    constexpr Milliseconds kPause = 30;
    std::vector<INPUT> inputs = {MouseInput(MOUSEEVENTF_MOVE, from), MouseInput(MOUSEEVENTF_LEFTDOWN, from)};
    for (int step = 1; step <= kSteps; ++step) {
        const POINT between{from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps};
        inputs.push_back(MouseInput(MOUSEEVENTF_MOVE, between));
    }
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP, to));
    for (INPUT& input : inputs) {
        if (SendInput(1, &input, sizeof input) != 1) return false;
        Sleep(kPause);
    }
    return true;
}

void ClickButton(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

void PostClose(HWND topLevel) { PostMessageA(topLevel, WM_CLOSE, 0, 0); }

void PostSystemClose(HWND topLevel) { PostMessageA(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::string MessageBoxText(HWND box) {
    std::string text;
    for (const WindowInfo& control : ListControls(box)) {
        if (control.text.empty()) continue;
        if (!text.empty()) text += '\n';
        text += control.text;
    }
    return text;
}

void DismissMessageBox(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

// ---- pictures ------------------------------------------------------------------------------

bool SaveScreenPng(const std::string& unixPath, const std::optional<RECT>& area) {
    // Wine starts Unix executables given by a path on its drive Z:, which maps the Unix root. The
    // handle it gives back neither waits for the Unix process nor carries its exit code, so the
    // picture counts as saved once its file has been written to its end.
    const std::string windowsPath = "Z:" + unixPath;
    DeleteFileA(windowsPath.c_str());
    std::string commandLine = "Z:\\usr\\bin\\import -window root";
    if (area) {
        commandLine += " -crop " + std::to_string(area->right - area->left) + "x" +
                       std::to_string(area->bottom - area->top) + "+" + std::to_string(area->left) + "+" +
                       std::to_string(area->top) + " +repage";
    }
    commandLine += " \"" + unixPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return WaitUntil([&] { return IsCompletePng(windowsPath); }, kPatience * 3);
}

}  // namespace zendalo::driver
