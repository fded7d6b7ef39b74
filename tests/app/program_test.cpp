// zendalo.exe as a person meets it, driven from this second program: started from another
// folder, its window found by process, looked at, typed into, clicked and closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_description.h"
#include "tests/app/window_driver.h"

namespace zendalo {
namespace {

using namespace driver;
using namespace std::string_literals;

constexpr DWORD kRunTimeErrorExitCode = 0xFFFFFFFF;

std::string ZendaloPath() { return PathNextToThisProgram(ZENDALO_PROGRAM_FROM_TESTS); }
std::string ProbePath() { return PathNextToThisProgram("zendalo_probe.exe"); }

bool Has(DWORD style, DWORD bits) { return (style & bits) == bits; }
bool HasNone(DWORD style, DWORD bits) { return (style & bits) == 0; }

// A program under test with its window found.
class ProgramWindow : public ::testing::Test {
protected:
    // Starts `path` from a folder that is not its own: this test program's, or the one above it.
    void Start(const std::string& path, const std::string& arguments = "") {
        startedFrom = FolderOf(ThisProgramPath());
        if (startedFrom == FolderOf(path)) startedFrom = PathNextToThisProgram("..");
        ASSERT_NE(startedFrom, FolderOf(path));
        program = RunningProgram::Start(path, arguments, startedFrom);
        ASSERT_TRUE(program) << "cannot start " << path;
        window = program->WaitForMainWindow();
        ASSERT_NE(window, nullptr) << "no window appeared";
    }

    HWND Control(std::uint32_t number) const {
        const auto control = FindControl(window, number);
        return control ? control->handle : nullptr;
    }

    void Press(KeyChord chord) { ASSERT_TRUE(PressKeys(window, chord)); }

    void ExpectFocusOn(std::uint32_t number) {
        EXPECT_TRUE(WaitForFocus(window, Control(number)))
            << "focus on " << std::hex << GetWindowLongPtrA(FocusedWindow(window), GWLP_ID) << ", expected " << number;
    }

    void ExpectEndsWith(DWORD exitCode) {
        const auto code = program->WaitForExit();
        ASSERT_TRUE(code) << "the program did not end";
        EXPECT_EQ(*code, exitCode);
    }

    std::string startedFrom;
    std::optional<RunningProgram> program;
    HWND window = nullptr;
};

// ---- what the window looks like ------------------------------------------------------------

class ZendaloWindow : public ProgramWindow {
protected:
    void SetUp() override { Start(ZendaloPath()); }
};

TEST_F(ZendaloWindow, OpensCentredOnTheScreenWithItsOuterSizeAndCaption) {
    const WindowInfo info = DescribeWindow(window);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(info.rect.left, (screenWidth - 286) / 2);
    EXPECT_EQ(info.rect.top, (screenHeight - 126) / 2);
    EXPECT_EQ(info.rect.right - info.rect.left, 286);
    EXPECT_EQ(info.rect.bottom - info.rect.top, 126);
    if (screenWidth == 1024 && screenHeight == 768) {
        EXPECT_EQ(info.rect.left, 369);
        EXPECT_EQ(info.rect.top, 321);
    }
    EXPECT_EQ(info.text, "Zendalo");
    EXPECT_TRUE(info.visible);
    EXPECT_TRUE(info.enabled);
}

TEST_F(ZendaloWindow, HasAFixedFrameOnlyACloseBoxAndATaskbarButton) {
    const WindowInfo info = DescribeWindow(window);
    EXPECT_TRUE(Has(info.style, WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN));
    EXPECT_TRUE(HasNone(info.style, WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_CHILD | WS_POPUP |
                                        WS_DISABLED | WS_VSCROLL | WS_HSCROLL));
    EXPECT_TRUE(HasNone(info.extendedStyle, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME |
                                                WS_EX_CONTEXTHELP | WS_EX_NOACTIVATE | WS_EX_LAYERED));
    EXPECT_EQ(info.owner, nullptr) << "an owned window has no taskbar button";
    EXPECT_EQ(GetMenu(window), nullptr);

    // The window's own answers about its frame: a caption to drag it by, no sizing border, no
    // minimize or maximize box anywhere along the title bar.
    const RECT& outer = info.rect;
    const int titleY = outer.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    const auto hitTest = [&](int x, int y) { return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(hitTest((outer.left + outer.right) / 2, titleY), HTCAPTION);
    bool closeBoxFound = false;
    for (int x = outer.left; x < outer.right; ++x) {
        const auto hit = hitTest(x, titleY);
        EXPECT_NE(hit, HTMAXBUTTON) << x;
        EXPECT_NE(hit, HTMINBUTTON) << x;
        closeBoxFound = closeBoxFound || hit == HTCLOSE;
    }
    EXPECT_TRUE(closeBoxFound);
    const int midY = (outer.top + outer.bottom) / 2, midX = (outer.left + outer.right) / 2;
    for (const auto hit : {hitTest(outer.left, midY), hitTest(outer.right - 1, midY), hitTest(midX, outer.bottom - 1),
                           hitTest(outer.right - 1, outer.bottom - 1), hitTest(outer.left, outer.top)}) {
        EXPECT_TRUE(hit == HTBORDER || hit == HTCAPTION || hit == HTSYSMENU || hit == HTCLOSE) << "hit " << hit;
    }
}

struct ExpectedControl {
    std::uint32_t number;
    const char* className;  // null: the window's own class
    RECT rect;
    std::string text;
    DWORD style;          // bits that must be set, besides WS_CHILD and WS_VISIBLE
    DWORD absentStyle;    // bits that must not be
    DWORD extendedStyle;  // exactly
};

constexpr DWORD kEditAbsent = ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_NUMBER |
                              ES_CENTER | ES_RIGHT | ES_NOHIDESEL | ES_WANTRETURN | WS_BORDER | WS_DISABLED |
                              WS_VSCROLL | WS_HSCROLL;
constexpr DWORD kLabelAbsent = WS_TABSTOP | WS_BORDER | WS_DISABLED;
constexpr DWORD kButtonAbsent = BS_DEFPUSHBUTTON | BS_BITMAP | BS_ICON | BS_FLAT | WS_DISABLED | WS_BORDER;

TEST_F(ZendaloWindow, ShowsItsFiveControlsWithTheirClassesPlacesTextsAndStyles) {
    const ExpectedControl expected[] = {
        {ids::编辑框2, "Edit", {64, 56, 176, 76}, "", WS_TABSTOP | WS_CLIPSIBLINGS | ES_AUTOHSCROLL, kEditAbsent,
         WS_EX_CLIENTEDGE},
        {ids::编辑框1, "Edit", {64, 16, 160, 36}, "", WS_TABSTOP | WS_CLIPSIBLINGS | ES_AUTOHSCROLL, kEditAbsent,
         WS_EX_CLIENTEDGE},
        {ids::标签2, nullptr, {8, 56, 48, 80}, "地区", WS_CLIPSIBLINGS, kLabelAbsent, 0},
        {ids::标签1, nullptr, {8, 16, 48, 40}, "外网IP", WS_CLIPSIBLINGS, kLabelAbsent, 0},
        {ids::按钮1, "Button", {176, 32, 232, 56}, "查询",
         WS_TABSTOP | WS_CLIPSIBLINGS | BS_CENTER | BS_VCENTER | BS_MULTILINE, kButtonAbsent, 0},
    };
    const WindowInfo windowInfo = DescribeWindow(window);
    const std::vector<WindowInfo> controls = ListControls(window);
    ASSERT_EQ(controls.size(), std::size(expected));
    for (const ExpectedControl& want : expected) {
        SCOPED_TRACE("control " + std::to_string(want.number));
        const auto found = FindControl(window, want.number);
        ASSERT_TRUE(found);
        EXPECT_EQ(lstrcmpiA(found->className.c_str(), want.className ? want.className : windowInfo.className.c_str()), 0)
            << found->className;
        EXPECT_EQ(found->rect.left, want.rect.left);
        EXPECT_EQ(found->rect.top, want.rect.top);
        EXPECT_EQ(found->rect.right, want.rect.right);
        EXPECT_EQ(found->rect.bottom, want.rect.bottom);
        EXPECT_EQ(found->text, want.text);
        EXPECT_TRUE(Has(found->style, WS_CHILD | WS_VISIBLE | want.style)) << std::hex << found->style;
        EXPECT_TRUE(HasNone(found->style, want.absentStyle)) << std::hex << found->style;
        EXPECT_EQ(found->extendedStyle & ~WS_EX_NOPARENTNOTIFY, want.extendedStyle) << std::hex << found->extendedStyle;
        EXPECT_TRUE(found->enabled);
    }
    const HWND button = Control(ids::按钮1);
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

    // The edit boxes: empty, caret at 0, the system's own length limit.
    for (const std::uint32_t number : {ids::编辑框1, ids::编辑框2}) {
        const HWND edit = Control(number);
        EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), 0) << number;
        EXPECT_GE(static_cast<DWORD>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu) << number;
    }
    // (The font is checked inside the process: under Wine, WM_GETFONT from another process gives 0.)
}

TEST_F(ZendaloWindow, LabelsPaintTheirCaptionInBlackOnButtonFace) {
    // Read back from the screen: the window's client area where the label "外网IP" stands.
    ASSERT_TRUE(BringToForeground(window));
    const HWND label = Control(ids::标签1);
    ASSERT_TRUE(WaitUntil([&] { return GetUpdateRect(label, nullptr, FALSE) == FALSE; }));
    RECT box{};
    GetClientRect(label, &box);
    MapWindowPoints(label, HWND_DESKTOP, reinterpret_cast<POINT*>(&box), 2);
    const HDC screen = GetDC(nullptr);
    int black = 0, face = 0, other = 0;
    const COLORREF buttonFace = GetSysColor(COLOR_BTNFACE);
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const COLORREF pixel = GetPixel(screen, x, y);
            if (pixel == buttonFace) ++face;
            else if (pixel == RGB(0, 0, 0)) ++black;
            else ++other;  // smoothed glyph edges
        }
    }
    ReleaseDC(nullptr, screen);
    EXPECT_GT(face, (box.right - box.left) * (box.bottom - box.top) / 2) << "black " << black << " other " << other;
    EXPECT_GT(black + other, 20) << "no caption drawn";
}

TEST_F(ZendaloWindow, TheTitleBarMovesItAndTheFrameDoesNotResizeIt) {
    const RECT before = DescribeWindow(window).rect;
    const POINT title{(before.left + before.right) / 2,
                      before.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
    ASSERT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)), HTCAPTION);
    ASSERT_TRUE(DragWithMouse(window, title, {title.x - 120, title.y - 90}));
    EXPECT_TRUE(WaitUntil([&] {
        const RECT now = DescribeWindow(window).rect;
        return now.left == before.left - 120 && now.top == before.top - 90;
    })) << "not dragged to the new place";

    const RECT moved = DescribeWindow(window).rect;
    ASSERT_TRUE(DragWithMouse(window, {moved.right - 1, (moved.top + moved.bottom) / 2},
                              {moved.right + 60, moved.bottom + 40}));
    ASSERT_TRUE(DragWithMouse(window, {moved.right - 1, moved.bottom - 1}, {moved.right + 60, moved.bottom + 40}));
    ASSERT_TRUE(PressKeys(window, {VK_SHIFT}));  // a key after the drags: they have been handled
    const RECT after = DescribeWindow(window).rect;
    EXPECT_EQ(after.right - after.left, 286);
    EXPECT_EQ(after.bottom - after.top, 126);
}

// ---- keyboard and focus --------------------------------------------------------------------

TEST_F(ZendaloWindow, FocusStartsOnTheButtonAndTabCyclesButtonAddressRegion) {
    ExpectFocusOn(ids::按钮1);
    const std::uint32_t forward[] = {ids::编辑框1, ids::编辑框2, ids::按钮1, ids::编辑框1};
    for (const std::uint32_t next : forward) {
        Press({VK_TAB});
        ExpectFocusOn(next);
    }
    const std::uint32_t backward[] = {ids::按钮1, ids::编辑框2, ids::编辑框1, ids::按钮1};
    for (const std::uint32_t previous : backward) {
        Press({VK_TAB, true});
        ExpectFocusOn(previous);
    }
}

TEST_F(ZendaloWindow, EnterF1AndAltWithALetterDoNothing) {
    const KeyChord nothingKeys[] = {{VK_RETURN}, {VK_F1}, {'Q', false, false, true}, {'1', false, false, true}};
    for (const std::uint32_t place : {ids::按钮1, ids::编辑框1, ids::编辑框2}) {
        ExpectFocusOn(place);
        for (const KeyChord& chord : nothingKeys) Press(chord);
        // Keys are handled in order: once the Tab after them has moved the focus, they are done.
        Press({VK_TAB});
        ExpectFocusOn(place == ids::按钮1 ? ids::编辑框1 : place == ids::编辑框1 ? ids::编辑框2 : ids::按钮1);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(program->VisibleTopLevelWindows().size(), 1u) << "a menu or dialog opened";
    }
    EXPECT_EQ(WindowText(Control(ids::编辑框1)), "");
    EXPECT_EQ(WindowText(Control(ids::编辑框2)), "");
}

TEST_F(ZendaloWindow, TheUserMayTypeIntoBothFields) {
    Press({VK_TAB});
    ExpectFocusOn(ids::编辑框1);
    for (const WORD key : {WORD{'1'}, WORD{VK_OEM_PERIOD}, WORD{'2'}}) Press({key});
    Press({VK_TAB});
    ExpectFocusOn(ids::编辑框2);
    Press({'X'});
    EXPECT_TRUE(WaitForText(Control(ids::编辑框2), "x"));
    EXPECT_EQ(WindowText(Control(ids::编辑框1)), "1.2");
}

// A window of the test program's own, to take the activation away from the program under test.
class OtherWindow {
public:
    OtherWindow() {
        handle_ = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OtherWindow() { DestroyWindow(handle_); }
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

TEST_F(ZendaloWindow, TheFocusComesBackToTheSameControlAfterSwitchingAway) {
    Press({VK_TAB});
    Press({VK_TAB});
    ExpectFocusOn(ids::编辑框2);
    OtherWindow other;
    ASSERT_TRUE(BringToForeground(other.Handle()));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window) != Control(ids::编辑框2); }));
    ASSERT_TRUE(BringToForeground(window));
    ExpectFocusOn(ids::编辑框2);
}

// ---- closing -------------------------------------------------------------------------------

TEST_F(ZendaloWindow, EscapeClosesItFromAnyControlWithExitCodeZero) {
    Press({VK_TAB});
    Press({VK_TAB});
    ExpectFocusOn(ids::编辑框2);
    Press({VK_ESCAPE});
    ExpectEndsWith(0);
}

TEST_F(ZendaloWindow, AltF4ClosesItWithExitCodeZero) {
    Press({VK_F4, false, false, true});
    ExpectEndsWith(0);
}

TEST_F(ZendaloWindow, TheCloseBoxClosesItWithExitCodeZero) {
    ASSERT_TRUE(ClickCloseBox(window)) << "no close box found on the title bar";
    ExpectEndsWith(0);
}

TEST_F(ZendaloWindow, TheCloseCommandClosesItWithExitCodeZero) {
    PostSystemClose(window);  // what the close box and the system menu's Close send
    ExpectEndsWith(0);
}

TEST_F(ZendaloWindow, ACloseRequestClosesItWithExitCodeZero) {
    PostClose(window);
    ExpectEndsWith(0);
}

// ---- a picture to look at ------------------------------------------------------------------

bool FileHasBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes) && attributes.nFileSizeLow > 0;
}

TEST_F(ZendaloWindow, ScreenshotIsSavedInTheBuildTree) {
    ASSERT_TRUE(WaitUntil([&] { return IsFullyPainted(window); }));
    Sleep(300);  // the X server shows what was painted a moment later
    RECT around = DescribeWindow(window).rect;
    InflateRect(&around, 8, 8);
    const std::string folder = ZENDALO_SCREENSHOT_FOLDER;  // a Unix path, for ImageMagick
    ASSERT_TRUE(SaveScreenPng(folder + "/main-window.png", around)) << "import failed";
    ASSERT_TRUE(SaveScreenPng(folder + "/screen.png"));
    EXPECT_TRUE(FileHasBytes("Z:" + folder + "/main-window.png"));
    EXPECT_TRUE(FileHasBytes("Z:" + folder + "/screen.png"));
}

// ---- the program file ----------------------------------------------------------------------

TEST(ProgramFile, CarriesVersion2300) {
    const std::string path = ZendaloPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020003u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020003u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

TEST(ProgramFile, CarriesTheSixImagesAsItsNeutralDefaultIcon) {
    const HMODULE file = LoadLibraryExA(ZendaloPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    const HRSRC group =
        FindResourceExA(file, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, "DEFAULT_ICON", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(file, group)));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count, 6);
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
    struct Image {
        int width, bitCount;
    };
    const Image expected[] = {{32, 8}, {16, 8}, {256, 32}, {48, 32}, {32, 32}, {16, 32}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        EXPECT_EQ(entries[i].width == 0 ? 256 : entries[i].width, expected[i].width);
        EXPECT_EQ(entries[i].height == 0 ? 256 : entries[i].height, expected[i].width);
        EXPECT_EQ(entries[i].colourCount, 0);
        EXPECT_EQ(entries[i].bitCount, expected[i].bitCount);
        const HRSRC image = FindResourceA(file, MAKEINTRESOURCEA(entries[i].id), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_NE(image, nullptr);
        const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(file, image)));
        const bool png = bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
        EXPECT_EQ(png, expected[i].width == 256);
    }
    FreeLibrary(file);
}

// ---- event delivery and the current directory, through the probe's handlers ----------------

class ProbeWindow : public ProgramWindow {
protected:
    void SetUp() override { Start(ProbePath(), "deliver"); }

    void ExpectClicks(int count) {
        EXPECT_TRUE(WaitForText(Control(ids::编辑框1), std::to_string(count)))
            << "clicks shown: " << WindowText(Control(ids::编辑框1));
    }
};

TEST_F(ProbeWindow, SpaceMouseAndButtonClickEachDeliverOneClick) {
    ExpectFocusOn(ids::按钮1);
    Press({VK_SPACE});
    ExpectClicks(1);
    ASSERT_TRUE(ClickCentreWithMouse(Control(ids::按钮1)));
    ExpectClicks(2);
    ClickButton(Control(ids::按钮1));
    EXPECT_EQ(WindowText(Control(ids::编辑框1)), "3") << "BM_CLICK returns after the handler";
}

TEST_F(ProbeWindow, EnterOnTheButtonDeliversNoClick) {
    ExpectFocusOn(ids::按钮1);
    Press({VK_RETURN});
    Press({VK_SPACE});  // handled after Enter: one click in all means Enter clicked nothing
    ExpectClicks(1);
    ExpectFocusOn(ids::按钮1);
}

TEST_F(ProbeWindow, TheCurrentDirectoryIsTheProgramsFolderWhereverItWasStartedFrom) {
    ClickButton(Control(ids::按钮1));
    EXPECT_EQ(WindowText(Control(ids::编辑框2)), FolderOf(ProbePath())) << "started from " << startedFrom;
}

TEST_F(ProbeWindow, AWriteReplacesWhatTheUserTyped) {
    Press({VK_TAB});
    ExpectFocusOn(ids::编辑框1);
    Press({'A'});
    ASSERT_TRUE(WaitForText(Control(ids::编辑框1), "a"));
    ClickButton(Control(ids::按钮1));
    EXPECT_EQ(WindowText(Control(ids::编辑框1)), "1");
}

TEST(SlowHandler, ClicksMadeWhileItRunsAreNeitherMergedNorLost) {
    auto program = RunningProgram::Start(ProbePath(), "deliver-slowly", PathNextToThisProgram(".."));
    ASSERT_TRUE(program);
    const HWND window = program->WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const auto clicks = FindControl(window, ids::编辑框1);
    ASSERT_TRUE(clicks);
    for (int press = 0; press < 3; ++press) ASSERT_TRUE(PressKeys(window, {VK_SPACE}));
    EXPECT_TRUE(WaitForText(clicks->handle, "3")) << "clicks shown: " << WindowText(clicks->handle);
    PostClose(window);
    const auto code = program->WaitForExit();
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0u);
}

// ---- the run-time error path ---------------------------------------------------------------

class RunTimeErrorPath : public ::testing::Test {
protected:
    void Start(const std::string& scenario) {
        program = RunningProgram::Start(ProbePath(), scenario, FolderOf(ThisProgramPath()));
        ASSERT_TRUE(program) << "cannot start " << ProbePath();
    }

    // The error box is up, says what happened, and once dismissed the process ends with -1.
    void ExpectErrorBoxThenMinusOne(bool windowMayBeShown) {
        const HWND box = program->WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_NE(MessageBoxText(box).find("运行时错误"), std::string::npos) << MessageBoxText(box);
        if (!windowMayBeShown) {
            EXPECT_EQ(program->VisibleTopLevelWindows(), std::vector<HWND>{box}) << "a window was shown";
        }
        EXPECT_FALSE(program->WaitForExit(200)) << "ended before the user was told";
        DismissMessageBox(box);
        const auto code = program->WaitForExit();
        ASSERT_TRUE(code) << "did not end after the error box";
        EXPECT_EQ(*code, kRunTimeErrorExitCode);
    }

    std::optional<RunningProgram> program;
};

TEST_F(RunTimeErrorPath, AStartWindowThatIsNotDescribed) {
    ASSERT_NO_FATAL_FAILURE(Start("no-start-window"));
    ExpectErrorBoxThenMinusOne(false);
}

TEST_F(RunTimeErrorPath, AStartWindowThatTheSystemRefuses) {
    ASSERT_NO_FATAL_FAILURE(Start("refuse-window"));
    ExpectErrorBoxThenMinusOne(false);
}

TEST_F(RunTimeErrorPath, AControlThatTheSystemRefuses) {
    ASSERT_NO_FATAL_FAILURE(Start("refuse-button"));
    ExpectErrorBoxThenMinusOne(false);
}

TEST_F(RunTimeErrorPath, MemoryRunningOutBeforeTheWindowIsShown) {
    ASSERT_NO_FATAL_FAILURE(Start("exhaust-memory-on-creation"));
    ExpectErrorBoxThenMinusOne(false);
}

TEST_F(RunTimeErrorPath, MemoryRunningOutInTheClickHandler) {
    ASSERT_NO_FATAL_FAILURE(Start("exhaust-memory-on-click"));
    const HWND window = program->WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PressKeys(window, {VK_SPACE}));  // not BM_CLICK: that would wait for the modal box
    ExpectErrorBoxThenMinusOne(true);
}

TEST_F(RunTimeErrorPath, AWriteToAWindowThatIsNotLoaded) {
    ASSERT_NO_FATAL_FAILURE(Start("write-unloaded-window"));
    const HWND window = program->WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PressKeys(window, {VK_SPACE}));
    ExpectErrorBoxThenMinusOne(true);
}

TEST(StartWithoutLoop, AWindowClosedByItsCreationHandlerEndsTheProgramWithZero) {
    auto program = RunningProgram::Start(ProbePath(), "close-on-creation", FolderOf(ThisProgramPath()));
    ASSERT_TRUE(program);
    const auto code = program->WaitForExit();
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0u);
}

}  // namespace
}  // namespace zendalo
