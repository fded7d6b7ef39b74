// Pressing "查询" in a running program, against a lookup page served from this test process on
// the loopback port the program was built for.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "app/window_description.h"
#include "tests/app/window_driver.h"
#include "tests/web/loopback_server.h"

namespace zendalo {
namespace {

using namespace driver;
using testing::HttpResponse;
using testing::LoopbackServer;

// The page as such a service writes it, in code page 936 (this file's literals are).
std::string LookupPage(const std::string& address, const std::string& region) {
    return "<html><body><center>您的IP是：[" + address + "] 来自：" + region + "</center></body></html>";
}

std::string Ok(const std::string& body) {
    return HttpResponse("200 OK", "Content-Type: text/html; charset=gbk\r\n", body);
}

// The lookup page, its answer set by the test; a gate can hold an answer back to make the lookup slow.
class LookupPageServer {
public:
    LookupPageServer()
        : server_([this](LoopbackServer::Connection& connection, const std::string&) { Answer(connection); },
                  ZENDALO_E2E_LOOKUP_PORT) {}
    // A held answer is let go, so that the server can stop even when a test failed half-way.
    ~LookupPageServer() { ReleaseAnswers(); }
    LookupPageServer(const LookupPageServer&) = delete;
    LookupPageServer& operator=(const LookupPageServer&) = delete;

    void Serve(const std::string& response) {
        std::lock_guard lock(mutex_);
        response_ = response;
    }
    void HoldAnswers() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void ReleaseAnswers() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }
    [[nodiscard]] std::size_t RequestCount() const { return server_.Requests().size(); }
    bool WaitForRequests(std::size_t count) {
        return WaitUntil([&] { return RequestCount() >= count; });
    }

private:
    // Each answer names its request's number, so the fields tell which lookup wrote them.
    void Answer(LoopbackServer::Connection& connection) {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [&] { return !held_; });
        std::string response = response_;
        const std::string number = std::to_string(++answered_);
        for (auto at = response.find("#N"); at != std::string::npos; at = response.find("#N", at)) {
            response.replace(at, 2, number);
        }
        lock.unlock();
        connection.Send(response);
    }

    std::mutex mutex_;
    std::condition_variable released_;
    std::string response_ = Ok(LookupPage("1.2.3.4", "福建省福州市"));
    bool held_ = false;
    int answered_ = 0;
    LoopbackServer server_;  // last: its thread stops before the state it uses goes
};

class LookupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        page.emplace();
        const std::string path = PathNextToThisProgram(ZENDALO_E2E_PROGRAM);
        program = RunningProgram::Start(path, "", FolderOf(ThisProgramPath()));
        ASSERT_TRUE(program) << "cannot start " << path;
        window = program->WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        button = Control(ids::按钮1);
        addressField = Control(ids::编辑框1);
        regionField = Control(ids::编辑框2);
        ASSERT_TRUE(button && addressField && regionField);
    }

    void TearDown() override {
        if (program && window && IsWindow(window)) {
            PostClose(window);
            EXPECT_EQ(program->WaitForExit(), std::optional<DWORD>(0));
        }
    }

    HWND Control(std::uint32_t number) const {
        const auto control = FindControl(window, number);
        return control ? control->handle : nullptr;
    }

    void ExpectFields(const std::string& address, const std::string& region) {
        EXPECT_TRUE(WaitForText(addressField, address)) << "address field: " << WindowText(addressField);
        EXPECT_TRUE(WaitForText(regionField, region)) << "region field: " << WindowText(regionField);
    }

    // Types `text` into a field as a person would: focus by Tab from the button, then keys.
    void TypeInto(HWND field, int tabs, const std::string& text) {
        for (int i = 0; i < tabs; ++i) ASSERT_TRUE(PressKeys(window, {VK_TAB}));
        ASSERT_TRUE(WaitForFocus(window, field));
        for (const char c : text) ASSERT_TRUE(PressKeys(window, {static_cast<WORD>(VkKeyScanA(c) & 0xFF)}));
        ASSERT_TRUE(WaitForText(field, text));
    }

    std::optional<LookupPageServer> page;
    std::optional<RunningProgram> program;
    HWND window = nullptr;
    HWND button = nullptr;
    HWND addressField = nullptr;
    HWND regionField = nullptr;
};

TEST_F(LookupProgram, AMouseClickAndSpaceEachShowTheAddressAndRegionBytes) {
    page->Serve(Ok(LookupPage(" 10.20.30.40 ", " 中国 福建省 福州市 ")));
    ASSERT_TRUE(ClickCentreWithMouse(button));
    ExpectFields(" 10.20.30.40 ", " 中国 福建省 福州市 ");  // nothing trimmed
    EXPECT_EQ(WindowText(regionField), "\x20\xD6\xD0\xB9\xFA\x20\xB8\xA3\xBD\xA8\xCA\xA1\x20\xB8\xA3\xD6\xDD\xCA\xD0\x20");
    SaveScreenPng(std::string(ZENDALO_SCREENSHOT_FOLDER) + "/lookup-result.png", DescribeWindow(window).rect);

    page->Serve(Ok(LookupPage("192.0.2.7", "上海市")));
    ASSERT_TRUE(WaitForFocus(window, button));
    ASSERT_TRUE(PressKeys(window, {VK_SPACE}));
    ExpectFields("192.0.2.7", "上海市");
    EXPECT_EQ(page->RequestCount(), 2u);
}

TEST_F(LookupProgram, APageWithoutMarkersClearsAnEarlierResult) {
    ClickButton(button);
    ExpectFields("1.2.3.4", "福建省福州市");
    page->Serve(Ok("<html><body>维护中 1.2.3.4 福建省</body></html>"));
    ClickButton(button);  // returns once the lookup has written both fields
    EXPECT_EQ(WindowText(addressField), "");
    EXPECT_EQ(WindowText(regionField), "");
}

TEST_F(LookupProgram, AnErrorStatusBodyIsCutLikeAnyPage) {
    page->Serve(HttpResponse("404 Not Found", "Content-Type: text/html\r\n", LookupPage("5.6.7.8", "未知")));
    ClickButton(button);
    EXPECT_EQ(WindowText(addressField), "5.6.7.8");
    EXPECT_EQ(WindowText(regionField), "未知");
}

TEST_F(LookupProgram, TheNextLookupReplacesWhatTheUserTyped) {
    TypeInto(addressField, 1, "typed");
    TypeInto(regionField, 1, "text");
    ClickButton(button);
    EXPECT_EQ(WindowText(addressField), "1.2.3.4");
    EXPECT_EQ(WindowText(regionField), "福建省福州市");
}

TEST_F(LookupProgram, ClicksMadeDuringASlowLookupEachRunALookupInTurn) {
    page->Serve(Ok(LookupPage("10.0.0.#N", "第#N次")));
    page->HoldAnswers();
    ASSERT_TRUE(ClickCentreWithMouse(button));
    ASSERT_TRUE(page->WaitForRequests(1));
    // The window takes no input now; these wait in its queue. (Nothing may be sent to the window
    // meanwhile: a sent message would wait for the lookup, and the lookup for this test.)
    for (int click = 0; click < 3; ++click) ASSERT_TRUE(ClickCentreWithMouse(button));
    Sleep(300);
    EXPECT_EQ(page->RequestCount(), 1u) << "a lookup started while another one ran";
    page->ReleaseAnswers();
    ASSERT_TRUE(page->WaitForRequests(4));
    ExpectFields("10.0.0.4", "第4次");
    Sleep(300);
    EXPECT_EQ(page->RequestCount(), 4u);
}

TEST_F(LookupProgram, ACloseRequestDuringASlowLookupTakesEffectAfterIt) {
    page->HoldAnswers();
    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(page->WaitForRequests(1));
    PostClose(window);
    EXPECT_FALSE(program->WaitForExit(500)) << "the window closed while its lookup ran";
    EXPECT_TRUE(IsWindow(window));
    page->ReleaseAnswers();
    EXPECT_EQ(program->WaitForExit(), std::optional<DWORD>(0));
    window = nullptr;
}

TEST_F(LookupProgram, ARefusedConnectionEmptiesBothFieldsAndTheWindowGoesOn) {
    ClickButton(button);
    ExpectFields("1.2.3.4", "福建省福州市");
    page.reset();  // nothing listens on the port now
    ClickButton(button);
    EXPECT_EQ(WindowText(addressField), "");
    EXPECT_EQ(WindowText(regionField), "");

    ASSERT_TRUE(PressKeys(window, {VK_TAB}));
    EXPECT_TRUE(WaitForFocus(window, addressField));
    page.emplace();
    ClickButton(button);
    EXPECT_EQ(WindowText(addressField), "1.2.3.4");
}

}  // namespace
}  // namespace zendalo
