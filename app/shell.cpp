#include "app/shell.h"

#include <string>

#include "app/program_folder.h"
#include "app/run_time_error.h"
#include "support/web/web_access.h"

namespace zendalo {
namespace {

// The process's shell: the state that the description keeps once per process.
Shell* currentShell = nullptr;

constexpr char kErrorCaption[] = "Zendalo";
constexpr UINT kRunTimeErrorExitCode = static_cast<UINT>(-1);

const char* ErrorMessage(RunTimeError error) {
    switch (error) {
    case RunTimeError::StartWindowNotCreated:
        return "运行时错误：无法创建程序窗口，程序将退出。";
    case RunTimeError::OutOfMemory:
        return "运行时错误：内存不足，程序将退出。";
    case RunTimeError::WindowNotLoaded:
        return "运行时错误：所访问的窗口不存在，程序将退出。";
    case RunTimeError::Unexpected:
        break;
    }
    return "运行时错误：程序将退出。";
}

// The full path of the program file, however long.
std::string ProgramFileName() {
    std::string name(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);  // cut short: try again with room to spare
    }
}

void SetCurrentDirectoryToProgramFolder() {
    if (const auto folder = FolderOfProgramFile(ProgramFileName())) {
        SetCurrentDirectoryA(folder->c_str());  // a failure is ignored
    }
}

}  // namespace

void TakeRunTimeErrorPath(RunTimeError error) noexcept {
    if (currentShell != nullptr) currentShell->StopForRunTimeError();
    MessageBoxA(nullptr, ErrorMessage(error), kErrorCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ExitProcess(kRunTimeErrorExitCode);
}

int RunProgram(const ProgramDescription& program) {
    return WithRunTimeErrorPath([&] {
        WebAccess& webAccess = WebAccess::Process();  // there from the start, without a handle yet
        Shell shell;
        shell.ProgramStart(program);
        const std::int32_t exitCode = shell.ShutDown();
        // A normal end, the window gone: the internet handle that the first fetch opened goes too.
        webAccess.Close();
        return static_cast<int>(exitCode);
    });
}

Shell::Shell() {
    // One shell per process; a second one would be a fault of the program itself.
    if (currentShell != nullptr) TakeRunTimeErrorPath(RunTimeError::Unexpected);
    currentShell = this;
}

Shell::~Shell() {
    ReleaseDescriptions();
    currentShell = nullptr;
}

Shell* Shell::Current() noexcept { return currentShell; }

int Shell::ProgramStart(const ProgramDescription& program) {
    ApplicationStart(program.windows);
    if (LoadWindow(program.startWindow) == nullptr) TakeRunTimeErrorPath(RunTimeError::StartWindowNotCreated);
    RunEventLoop();
    return 0;
}

std::int32_t Shell::ShutDown() {
    events_.Suspend();
    ReleaseDescriptions();
    return exitCode_;
}

void Shell::ApplicationStart(std::span<const WindowDescription> windows) {
    SetCurrentDirectoryToProgramFolder();
    descriptions_ = windows;
    BindDescribedHandlers(descriptions_, events_);
}

FormWindow* Shell::LoadWindow(std::uint32_t windowNumber) {
    const WindowDescription* description = FindWindowDescription(descriptions_, windowNumber);
    if (description == nullptr) return nullptr;
    events_.Suspend();
    std::unique_ptr<FormWindow> created = FormWindow::Create(*description, *this);
    events_.Resume();
    if (!created) return nullptr;
    FormWindow* window = created.get();
    windows_.push_back(std::move(created));
    DeliverEvent(windowNumber, windowNumber, events::CreationFinished);
    if (window->Exists()) window->ShowAndActivate();
    return window;
}

void Shell::RunEventLoop() {
    loopEntered_ = true;
    if (!AnyWindowExists()) return;
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) TakeRunTimeErrorPath(RunTimeError::Unexpected);
        if (OfferToKeyboardHandling(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    exitCode_ = static_cast<std::int32_t>(message.wParam);
}

bool Shell::OfferToKeyboardHandling(const MSG& message) {
    // The window the message is meant for, then its parents in turn.
    for (HWND window = message.hwnd; window != nullptr; window = GetParent(window)) {
        FormWindow* form = WindowOfHandle(window);
        if (form != nullptr && form->HandleKeyboard(message)) return true;
    }
    return false;
}

void Shell::DeliverEvent(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t eventNumber) const {
    events_.Deliver(windowNumber, controlNumber, eventNumber);
}

FormWindow* Shell::LoadedWindow(std::uint32_t windowNumber) const noexcept {
    for (const auto& window : windows_) {
        if (window->Exists() && window->Number() == windowNumber) return window.get();
    }
    return nullptr;
}

FormWindow* Shell::WindowOfHandle(HWND handle) const noexcept {
    for (const auto& window : windows_) {
        if (window->Handle() == handle) return window.get();
    }
    return nullptr;
}

bool Shell::AnyWindowExists() const noexcept {
    for (const auto& window : windows_) {
        if (window->Exists()) return true;
    }
    return false;
}

void Shell::WindowGone() {
    if (loopEntered_ && !AnyWindowExists()) PostQuitMessage(0);
}

void Shell::StopForRunTimeError() noexcept {
    events_.Suspend();
    // The windows stay as they are: the process ends right after the error box.
    events_.Clear();
    descriptions_ = {};
}

void Shell::ReleaseDescriptions() noexcept {
    events_.Clear();
    // A window still open is destroyed with its object and reports back through WindowGone, which
    // must then find a set that is no longer being taken apart.
    std::vector<std::unique_ptr<FormWindow>> released = std::move(windows_);
    windows_.clear();
    released.clear();
    descriptions_ = {};
}

}  // namespace zendalo
