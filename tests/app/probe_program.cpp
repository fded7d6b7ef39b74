// zendalo_probe.exe: Zendalo's own window description run by the shell, with handlers of its own
// that make event delivery visible, or with one failure provoked, as its command line says:
//
//   deliver                    按钮1's click writes the number of clicks so far into 编辑框1 and
//                              the current directory into 编辑框2
//   deliver-slowly             the same, each click taking a third of a second, as a slow lookup would
//   no-start-window            the start window is not among the descriptions
//   refuse-window              the system refuses to create the window (a CBT hook says no)
//   refuse-button              the system refuses to create the button, after the window exists
//   exhaust-memory-on-click    按钮1's click asks for more memory than there is
//   exhaust-memory-on-creation the creation-finished handler asks for more memory than there is
//   write-unloaded-window      按钮1's click writes to a window that was never loaded
//   close-on-creation          the creation-finished handler closes the window again
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/set_control_content.h"
#include "app/shell.h"
#include "app/window_base.h"
#include "app/window_description.h"

namespace zendalo {
namespace {

int clickCount = 0;  // the probe's own record of the clicks it was handed

void CountClick() {
    ++clickCount;
    SetControlContent(ids::MainWindow, ids::编辑框1, kContentProperty, -1, Text(std::to_string(clickCount)), 0);
    char directory[MAX_PATH * 4] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    SetControlContent(ids::MainWindow, ids::编辑框2, kContentProperty, -1, Text(directory), 0);
}

void CountClickSlowly() {
    Sleep(300);
    CountClick();
}

void ExhaustMemory() {
    // More than any address space holds: the allocator fails as it would with memory used up.
    std::vector<unsigned char> tooMuch(std::size_t{1} << 60);
    tooMuch[0] = 1;
}

void WriteUnloadedWindow() {
    SetControlContent(ids::MainWindow + 1, ids::编辑框1, kContentProperty, -1, Text("x"), 0);
}

bool IsOfClass(HWND window, const char* className) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

void CloseOwnWindow() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (!IsOfClass(window, OwnWindowClassName())) return TRUE;
            DestroyWindow(window);
            return FALSE;
        },
        0);
}

// The one window creation that the CBT hook refuses: the program's top-level window, or the first
// button. Everything after it is let through, the error box and its button among them.
enum class Refuse { Nothing, MainWindow, FirstButton };
Refuse refuse = Refuse::Nothing;

bool IsClassName(const char* given, const char* className) {
    const bool isAtom = HIWORD(reinterpret_cast<ULONG_PTR>(given)) == 0;
    return !isAtom && lstrcmpiA(given, className) == 0;
}

LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA& create = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const bool refused =
            (refuse == Refuse::MainWindow && create.hwndParent == nullptr &&
             IsClassName(create.lpszClass, OwnWindowClassName())) ||
            (refuse == Refuse::FirstButton && IsClassName(create.lpszClass, "BUTTON"));
        if (refused) {
            refuse = Refuse::Nothing;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// MainWindow as the program describes it, with the click and creation handlers replaced.
class ProbeProgram {
public:
    ProbeProgram(EventHandler onClick, EventHandler onCreated, std::uint32_t startWindow = ids::MainWindow) {
        const WindowDescription& main = ThisProgram().windows.front();
        controls_.assign(main.controls.begin(), main.controls.end());
        clickBindings_[0] = {events::Clicked, onClick};
        createdBindings_[0] = {events::CreationFinished, onCreated};
        for (ControlDescription& control : controls_) {
            if (control.number == ids::按钮1) control.bindings = clickBindings_;
        }
        window_[0] = main;
        window_[0].controls = controls_;
        window_[0].bindings = createdBindings_;
        program_ = {window_, startWindow};
    }

    int Run() { return RunProgram(program_); }

private:
    std::vector<ControlDescription> controls_;
    EventBinding clickBindings_[1]{};
    EventBinding createdBindings_[1]{};
    WindowDescription window_[1]{};
    ProgramDescription program_{};
};

int RunScenario(std::string_view scenario) {
    if (scenario == "deliver") return ProbeProgram(&CountClick, &OnMainWindowCreated).Run();
    if (scenario == "deliver-slowly") return ProbeProgram(&CountClickSlowly, &OnMainWindowCreated).Run();
    if (scenario == "no-start-window") {
        return ProbeProgram(&CountClick, &OnMainWindowCreated, ids::MainWindow + 1).Run();
    }
    if (scenario == "refuse-window" || scenario == "refuse-button") {
        refuse = scenario == "refuse-window" ? Refuse::MainWindow : Refuse::FirstButton;
        SetWindowsHookExA(WH_CBT, &RefuseCreation, nullptr, GetCurrentThreadId());
        return ProbeProgram(&CountClick, &OnMainWindowCreated).Run();
    }
    if (scenario == "exhaust-memory-on-click") return ProbeProgram(&ExhaustMemory, &OnMainWindowCreated).Run();
    if (scenario == "exhaust-memory-on-creation") return ProbeProgram(&CountClick, &ExhaustMemory).Run();
    if (scenario == "write-unloaded-window") return ProbeProgram(&WriteUnloadedWindow, &OnMainWindowCreated).Run();
    if (scenario == "close-on-creation") return ProbeProgram(&CountClick, &CloseOwnWindow).Run();
    return 2;  // an unknown scenario: a fault of the test, told apart from both of the program's codes
}

}  // namespace
}  // namespace zendalo

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) { return zendalo::RunScenario(commandLine); }
