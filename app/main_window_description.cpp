// Zendalo's one window: the captions "外网IP" and "地区" with their fields, and the button "查询".
#include <windows.h>

#include "app/window_description.h"
#include "lookup/query_command.h"
#include "resources/program_icon.h"

namespace zendalo {

void OnMainWindowCreated() {}

namespace {

constexpr std::uint32_t kMainWindowStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr std::uint32_t kEditBoxStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr std::uint32_t kEditBoxExtendedStyle = WS_EX_CLIENTEDGE;
constexpr std::uint32_t kLabelStyle = WS_CHILD | WS_CLIPSIBLINGS;
constexpr std::uint32_t kButtonStyle =
    WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

constexpr EventBinding kMainWindowBindings[] = {{events::CreationFinished, &OnMainWindowCreated}};
constexpr EventBinding kQueryButtonBindings[] = {{events::Clicked, &OnQueryClicked}};

// Description order decides ties in the tab order: among equal numbers the later control comes first.
constexpr ControlDescription kMainWindowControls[] = {
    {ids::编辑框2, "编辑框2", ControlKind::EditBox, 64, 56, 112, 20, "", kEditBoxStyle, kEditBoxExtendedStyle, 0, {}},
    {ids::编辑框1, "编辑框1", ControlKind::EditBox, 64, 16, 96, 20, "", kEditBoxStyle, kEditBoxExtendedStyle, 0, {}},
    {ids::标签2, "标签2", ControlKind::Label, 8, 56, 40, 24, "地区", kLabelStyle, 0, 0, {}},
    {ids::标签1, "标签1", ControlKind::Label, 8, 16, 40, 24, "外网IP", kLabelStyle, 0, 0, {}},
    {ids::按钮1, "按钮1", ControlKind::Button, 176, 32, 56, 24, "查询", kButtonStyle, 0, 0, kQueryButtonBindings},
};

}  // namespace

const ProgramDescription& ThisProgram() {
    static const WindowDescription windows[] = {
        {ids::MainWindow, "", "Zendalo", 50, 50, 286, 126, kMainWindowStyle, 0, kMainWindowControls,
         kMainWindowBindings, ProgramIconFile()},
    };
    static const ProgramDescription program{windows, ids::MainWindow};
    return program;
}

}  // namespace zendalo
