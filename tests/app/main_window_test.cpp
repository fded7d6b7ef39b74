// The shell and the main window inside the test process: what a second program cannot see
// (the order of creation and its events, the events of SetControlContent, the icons as images,
// the quit rule of the event loop).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/form_window.h"
#include "app/set_control_content.h"
#include "app/shell.h"
#include "app/window_base.h"
#include "app/window_description.h"
#include "resources/program_icon.h"

namespace zendalo {
namespace {

using namespace std::string_literals;

// What the handlers of the test's window description saw, in order.
std::vector<std::string> record;

// MainWindow as the program describes it, with recording handlers bound in place of its own.
class RecordingProgram {
public:
    RecordingProgram() {
        const WindowDescription& main = ThisProgram().windows.front();
        controls_.assign(main.controls.begin(), main.controls.end());
        window_ = main;
        window_.controls = controls_;
        window_.bindings = windowBindings_;
    }

    void BindWindowEvent(std::int32_t event, EventHandler handler) { windowBindings_.push_back({event, handler}); Refresh(); }

    void BindControlEvent(std::uint32_t control, std::int32_t event, EventHandler handler) {
        controlBindings_.push_back({control, {event, handler}});
        Refresh();
    }

    void UseIconData(std::span<const unsigned char> icon) { window_.icon = icon; }

    std::span<const WindowDescription> Windows() const { return {&window_, 1}; }

private:
    void Refresh() {
        window_.bindings = windowBindings_;
        bindingsByControl_.assign(controls_.size(), {});
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            for (const auto& [number, binding] : controlBindings_) {
                if (controls_[i].number == number) bindingsByControl_[i].push_back(binding);
            }
            controls_[i].bindings = bindingsByControl_[i];
        }
    }

    std::vector<ControlDescription> controls_;
    std::vector<EventBinding> windowBindings_;
    std::vector<std::pair<std::uint32_t, EventBinding>> controlBindings_;
    std::vector<std::vector<EventBinding>> bindingsByControl_;
    WindowDescription window_{};
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { record.clear(); }

    FormWindow* Load() {
        shell.ApplicationStart(program.Windows());
        return shell.LoadWindow(ids::MainWindow);
    }

    RecordingProgram program;
    Shell shell;
};

// ---- creation ------------------------------------------------------------------------------

void RecordCreationFinished() {
    FormWindow* window = Shell::Current()->LoadedWindow(ids::MainWindow);
    int controls = 0;
    for (std::uint32_t number : {ids::编辑框1, ids::编辑框2, ids::标签1, ids::标签2, ids::按钮1}) {
        if (IsWindow(window->ControlHandle(number))) ++controls;
    }
    record.push_back("created with " + std::to_string(controls) + " controls, " +
                     (IsWindowVisible(window->Handle()) ? "visible" : "hidden"));
}

TEST_F(MainWindowTest, CreationFinishedRunsOnceAfterAllControlsExistAndBeforeTheWindowIsShown) {
    program.BindWindowEvent(events::CreationFinished, &RecordCreationFinished);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(record, (std::vector<std::string>{"created with 5 controls, hidden"}));
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
}

void RecordDestroying() { record.push_back("destroying"); }

// Refuses the first button that the thread creates, as a system short of resources would.
LRESULT CALLBACK RefuseFirstButton(int code, WPARAM wParam, LPARAM lParam) {
    static bool refused = false;
    if (code == HCBT_CREATEWND && !refused) {
        const char* className = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass;
        if (HIWORD(reinterpret_cast<ULONG_PTR>(className)) != 0 && lstrcmpiA(className, "BUTTON") == 0) {
            refused = true;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindowTest, AWindowWhoseControlIsRefusedIsNotCreatedAndItsDestructionDeliversNothing) {
    program.BindWindowEvent(events::Destroying, &RecordDestroying);
    const HHOOK hook = SetWindowsHookExA(WH_CBT, &RefuseFirstButton, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    FormWindow* window = Load();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(FindWindowA(OwnWindowClassName(), "Zendalo"), nullptr) << "the half-made window is left over";
    EXPECT_TRUE(record.empty()) << "an event raised during creation was delivered";
}

TEST_F(MainWindowTest, TheWindowAndItsControlsUseTheDefaultGuiFont) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const auto defaultGuiFont = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(SendMessageA(window->Handle(), WM_GETFONT, 0, 0), defaultGuiFont);
    for (const std::uint32_t number : {ids::编辑框1, ids::编辑框2, ids::标签1, ids::标签2, ids::按钮1}) {
        EXPECT_EQ(SendMessageA(window->ControlHandle(number), WM_GETFONT, 0, 0), defaultGuiFont) << number;
    }
}

TEST_F(MainWindowTest, AWindowThatIsNotDescribedCannotBeLoaded) {
    shell.ApplicationStart(program.Windows());
    EXPECT_EQ(shell.LoadWindow(ids::MainWindow + 1), nullptr);
    EXPECT_EQ(shell.LoadedWindow(ids::MainWindow), nullptr);
}

// ---- SetControlContent ---------------------------------------------------------------------

void RecordAddressChanged() { record.push_back("address changed"); }

std::string EditText(HWND edit) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

void WriteAddress(const Text& value) { SetControlContent(ids::MainWindow, ids::编辑框1, kContentProperty, -1, value, 0); }

TEST_F(MainWindowTest, ContentIsShownByteForByteWithOneChangeEventPerWrite) {
    program.BindControlEvent(ids::编辑框1, events::ContentChanged, &RecordAddressChanged);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const HWND address = window->ControlHandle(ids::编辑框1);
    const HWND region = window->ControlHandle(ids::编辑框2);

    const std::string writes[] = {
        "203.0.113.7",
        "203.0.113.7",                 // the same text again: shown once, raised again
        "北京市 电信",                   // code page 936 bytes
        "\x81\x40\xFE\xFE\xA1\xA1 x",  // the edges of the two-byte range
        "  blanks stay  ",
    };
    std::size_t count = 0;
    for (const std::string& bytes : writes) {
        const Text value(bytes);
        WriteAddress(value);
        ++count;
        EXPECT_EQ(EditText(address), bytes);
        EXPECT_EQ(value, Text(bytes)) << "the caller's text was changed";
        EXPECT_EQ(record.size(), count) << "after writing " << bytes;
    }
    EXPECT_EQ(EditText(region), "") << "the other field was touched";

    WriteAddress(Text());  // absent: the field is cleared
    EXPECT_EQ(EditText(address), "");
    EXPECT_EQ(record.size(), count + 1);
}

TEST_F(MainWindowTest, TypingRaisesTheContentChangedEventToo) {
    program.BindControlEvent(ids::编辑框1, events::ContentChanged, &RecordAddressChanged);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    SendMessageA(window->ControlHandle(ids::编辑框1), WM_CHAR, 'x', 0);
    EXPECT_EQ(EditText(window->ControlHandle(ids::编辑框1)), "x");
    EXPECT_EQ(record.size(), 1u);
}

TEST_F(MainWindowTest, TheCaretGoesToTheStartSoALongTextShowsItsBeginning) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const HWND address = window->ControlHandle(ids::编辑框1);
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "0123456789";

    // Scroll the box to its end first, as a user reading the end of a long value would.
    SetWindowTextA(address, longText.c_str());
    SendMessageA(address, EM_SETSEL, longText.size(), longText.size());
    SendMessageA(address, EM_SCROLLCARET, 0, 0);
    ASSERT_LT(static_cast<short>(LOWORD(SendMessageA(address, EM_POSFROMCHAR, 0, 0))), 0) << "not scrolled";

    WriteAddress(Text(longText));
    DWORD start = 1, end = 1;
    SendMessageA(address, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    const auto firstCharacterX = static_cast<short>(LOWORD(SendMessageA(address, EM_POSFROMCHAR, 0, 0)));
    EXPECT_GE(firstCharacterX, 0) << "the beginning is scrolled out of view";
    EXPECT_LT(firstCharacterX, 8);
    EXPECT_EQ(EditText(address), longText);
}

TEST_F(MainWindowTest, OtherPropertiesAndKindsAreLeftAsTheyAre) {
    program.BindControlEvent(ids::编辑框1, events::ContentChanged, &RecordAddressChanged);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    SetControlContent(ids::MainWindow, ids::编辑框1, kContentProperty + 1, -1, Text("x"), 0);
    SetControlContent(ids::MainWindow, ids::标签1, kContentProperty, -1, Text("x"), 0);
    EXPECT_EQ(EditText(window->ControlHandle(ids::编辑框1)), "");
    EXPECT_EQ(EditText(window->ControlHandle(ids::标签1)), "外网IP");
    EXPECT_TRUE(record.empty());
}

// ---- icons ---------------------------------------------------------------------------------

// The pixels of an icon drawn at its size onto a fixed background: two icons look alike exactly
// when these are equal.
std::vector<std::uint32_t> Pixels(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    const HBRUSH background = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, background);
    DeleteObject(background);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + size * size);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// The pixels of image `index` of the program's icon file, made into an icon on its own.
std::vector<std::uint32_t> ImagePixels(std::size_t index, int size) {
    const auto file = ProgramIconFile();
    const auto field = [&](std::size_t at) {
        return static_cast<DWORD>(file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (file[at + 3] << 24));
    };
    const DWORD bytes = field(6 + 16 * index + 8);
    const DWORD offset = field(6 + 16 * index + 12);
    const HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(file.data() + offset), bytes, TRUE, 0x00030000,
                                                size, size, LR_DEFAULTCOLOR);
    EXPECT_NE(icon, nullptr) << "image " << index;
    auto pixels = Pixels(icon, size);
    DestroyIcon(icon);
    return pixels;
}

HICON WindowIcon(FormWindow* window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(window->Handle(), WM_GETICON, which, 0));
}

TEST_F(MainWindowTest, LargeAndSmallIconsAreThe256ColourImages) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const auto large = Pixels(WindowIcon(window, ICON_BIG), 32);
    const auto small = Pixels(WindowIcon(window, ICON_SMALL), 16);
    ASSERT_NE(ImagePixels(0, 32), ImagePixels(4, 32)) << "the test cannot tell the 8-bit image from the 32-bit one";
    EXPECT_EQ(large, ImagePixels(0, 32));
    EXPECT_EQ(small, ImagePixels(1, 16));
}

TEST_F(MainWindowTest, IconDataThatYieldsNoIconGivesTheDefaultIconResource) {
    const unsigned char notAnIcon[] = {0, 0, 7, 0, 1, 0};
    program.UseIconData(notAnIcon);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    for (const int size : {32, 16}) {
        const HICON fallback = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), "DEFAULT_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(fallback, nullptr) << "the test program carries no DEFAULT_ICON";
        EXPECT_EQ(Pixels(WindowIcon(window, size == 32 ? ICON_BIG : ICON_SMALL), size), Pixels(fallback, size));
        DestroyIcon(fallback);
    }
}

// ---- the event loop and the quit rule ------------------------------------------------------

void RecordCloseQuery() { record.push_back("close query"); }

bool QuitRequestQueued(WPARAM* code = nullptr) {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (code != nullptr) *code = message.wParam;
    return true;
}

TEST_F(MainWindowTest, ClosingTheLastWindowEndsTheLoopWithCodeZeroAfterItsCloseEvents) {
    program.BindWindowEvent(events::CloseQuery, &RecordCloseQuery);
    program.BindWindowEvent(events::Destroying, &RecordDestroying);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    PostMessageA(window->Handle(), WM_CLOSE, 0, 0);
    shell.RunEventLoop();  // returns once the quit request has been taken
    EXPECT_FALSE(window->Exists());
    EXPECT_EQ(record, (std::vector<std::string>{"close query", "destroying"}));
    EXPECT_EQ(shell.ShutDown(), 0);
}

TEST_F(MainWindowTest, AWindowGoneBeforeTheLoopWasEnteredPostsNoQuitRequest) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    DestroyWindow(window->Handle());
    EXPECT_FALSE(QuitRequestQueued());
}

TEST_F(MainWindowTest, WithNoWindowTheLoopIsNotEnteredAtAll) {
    PostQuitMessage(7);  // a loop that ran would take this and end with code 7
    shell.ApplicationStart(program.Windows());
    shell.RunEventLoop();
    EXPECT_EQ(shell.ShutDown(), 0);
    WPARAM code = 0;
    EXPECT_TRUE(QuitRequestQueued(&code));
    EXPECT_EQ(code, 7u);
}

TEST_F(MainWindowTest, NothingIsDeliveredAfterShutDown) {
    program.BindWindowEvent(events::Destroying, &RecordDestroying);
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const HWND handle = window->Handle();
    EXPECT_EQ(shell.ShutDown(), 0);
    EXPECT_FALSE(IsWindow(handle)) << "shut-down leaves a window behind";
    EXPECT_TRUE(record.empty());
}

// ---- keyboard handling, for what keys cannot show ------------------------------------------

MSG KeyDown(HWND target, WPARAM key) {
    MSG message{};
    message.hwnd = target;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    return message;
}

TEST_F(MainWindowTest, KeysForADisabledControlOrAnotherWindowAreNotExamined) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const HWND region = window->ControlHandle(ids::编辑框2);
    EnableWindow(region, FALSE);
    EXPECT_FALSE(window->HandleKeyboard(KeyDown(region, VK_TAB)));
    EXPECT_FALSE(window->HandleKeyboard(KeyDown(region, VK_ESCAPE)));
    EXPECT_FALSE(window->HandleKeyboard(KeyDown(GetDesktopWindow(), VK_ESCAPE)));
    EXPECT_TRUE(window->Exists());
    EXPECT_TRUE(window->HandleKeyboard(KeyDown(window->ControlHandle(ids::按钮1), VK_ESCAPE)));
    EXPECT_FALSE(window->Exists());
}

TEST_F(MainWindowTest, TabSkipsAControlThatCanNoLongerTakeTheFocus) {
    FormWindow* window = Load();
    ASSERT_NE(window, nullptr);
    const HWND button = window->ControlHandle(ids::按钮1);
    const HWND address = window->ControlHandle(ids::编辑框1);
    const HWND region = window->ControlHandle(ids::编辑框2);
    SetFocus(button);
    EnableWindow(address, FALSE);
    EXPECT_TRUE(window->HandleKeyboard(KeyDown(button, VK_TAB)));
    EXPECT_EQ(GetFocus(), region);
    EnableWindow(address, TRUE);
    ShowWindow(button, SW_HIDE);
    EXPECT_TRUE(window->HandleKeyboard(KeyDown(region, VK_TAB)));
    EXPECT_EQ(GetFocus(), address);
}

}  // namespace
}  // namespace zendalo
