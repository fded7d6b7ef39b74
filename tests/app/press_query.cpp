// zendalo_press_query.exe: the run command's hands when there is no one at the screen. Starts the
// zendalo.exe of its build tree, presses 查询, prints both fields, saves a picture of the window
// after the lookup, and closes the program.
//
//   zendalo_press_query.exe SCREENSHOT.png
//
// SCREENSHOT is a Unix path (the picture is taken by ImageMagick under Wine). Standard output gets
// two lines in code page 936, "外网IP: <编辑框1>" and "地区: <编辑框2>", the bytes of the fields as
// they are. Exit code 0 when all of that was done and the program ended with exit code 0;
// otherwise 1, with the reason on standard error.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/window_description.h"
#include "tests/app/window_driver.h"

namespace zendalo {
namespace {

using namespace driver;

struct Fields {
    std::string address;
    std::string region;
};

int Fail(const std::string& reason) {
    std::fprintf(stderr, "zendalo_press_query: %s\n", reason.c_str());
    return 1;
}

HWND Control(HWND window, std::uint32_t number) {
    const auto control = FindControl(window, number);
    return control ? control->handle : nullptr;
}

// The window as the screen shows it once the fields' new texts are painted.
bool SaveWindowPicture(HWND window, const std::string& unixPath) {
    if (!WaitUntil([&] { return IsFullyPainted(window); })) return false;
    Sleep(300);  // the X server shows what was painted a moment later
    return SaveScreenPng(unixPath, DescribeWindow(window).rect);
}

void Print(const Fields& fields) {
    _setmode(_fileno(stdout), _O_BINARY);  // the field bytes unchanged, lines ended by "\n" alone
    std::printf("外网IP: %s\n地区: %s\n", fields.address.c_str(), fields.region.c_str());
    std::fflush(stdout);
}

int Run(const std::string& screenshotPath) {
    const std::string programPath = PathNextToThisProgram(ZENDALO_PROGRAM_FROM_TOOL);
    auto program = RunningProgram::Start(programPath, "", FolderOf(programPath));
    if (!program) return Fail("cannot start " + programPath);
    const HWND window = program->WaitForMainWindow();
    if (window == nullptr) return Fail("the window of zendalo.exe did not appear");
    const HWND button = Control(window, ids::按钮1);
    const HWND addressBox = Control(window, ids::编辑框1);
    const HWND regionBox = Control(window, ids::编辑框2);
    if (button == nullptr || addressBox == nullptr || regionBox == nullptr) {
        return Fail("the window lacks the button or a field");
    }

    ClickButton(button);  // returns once the lookup has filled both fields
    Print({WindowText(addressBox), WindowText(regionBox)});
    if (!SaveWindowPicture(window, screenshotPath)) return Fail("the picture of the window could not be saved");

    PostClose(window);
    const std::optional<DWORD> exitCode = program->WaitForExit();
    if (!exitCode) return Fail("zendalo.exe did not end when its window was closed");
    if (*exitCode != 0) return Fail("zendalo.exe ended with exit code " + std::to_string(*exitCode));
    return 0;
}

}  // namespace
}  // namespace zendalo

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zendalo_press_query.exe SCREENSHOT.png (a Unix path)\n");
        return 2;
    }
    return zendalo::Run(argv[1]);
}
