// The real larkbridge.exe against the local web host: start-up, single instance and exit.
#include <gtest/gtest.h>

#include "app/Forms.h"
#include "app/Globals.h"
#include "tests/support/Process.h"
#include "tests/support/Registry.h"
#include "tests/support/WebHost.h"

namespace {

constexpr char kMainTitle[] = "Larkbridge SteamCommunity";

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

void chooseTrayMenuItem(HWND window, int index) {
    PostMessageA(window, WM_COMMAND, lark::kMenuCommandBase + index, 0);
}

class ExeTest : public testing::Test {
protected:
    void SetUp() override { larktest::setAutoConfigValue(std::nullopt); }
    void TearDown() override {
        if (program_.process && !larktest::waitForExit(program_, 0))
            TerminateProcess(program_.process.get(), 1);
        larktest::setAutoConfigValue(std::nullopt);
    }
    HWND startProgram() {
        program_ = larktest::launchProgram();
        return larktest::waitForWindow(program_.processId, kMainTitle, 15000);
    }
    larktest::Launched program_;
};

TEST_F(ExeTest, StartsChecksTheVersionAndQuitsThroughTheTrayMenu) {
    const std::size_t versionChecks = countOf(larktest::serverLog(), "GET /gx.txt 200");
    const HWND window = startProgram();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(countOf(larktest::serverLog(), "GET /gx.txt 200"), versionChecks + 1);

    chooseTrayMenuItem(window, 1);  // 开始服务
    for (int i = 0; i < 100 && !larktest::autoConfigValue(); ++i) Sleep(50);
    ASSERT_TRUE(larktest::autoConfigValue());

    chooseTrayMenuItem(window, 3);  // 退出
    EXPECT_EQ(larktest::waitForExit(program_, 10000), 0u);
    EXPECT_EQ(larktest::autoConfigValue(), std::nullopt);
}

TEST_F(ExeTest, QuittingWithoutStartingRemovesALeftoverOfOurs) {
    larktest::setAutoConfigValue(
        larktest::textValue(std::string(LARKBRIDGE_WEB_HOST) + "/steam2.pac"));
    const HWND window = startProgram();
    ASSERT_NE(window, nullptr);
    chooseTrayMenuItem(window, 3);
    EXPECT_EQ(larktest::waitForExit(program_, 10000), 0u);
    EXPECT_EQ(larktest::autoConfigValue(), std::nullopt);
}

TEST_F(ExeTest, QuittingWithoutStartingLeavesAUsersValueAlone) {
    const auto companyPac = larktest::textValue("http://proxy.corp.example/wpad.pac");
    larktest::setAutoConfigValue(companyPac);
    const HWND window = startProgram();
    ASSERT_NE(window, nullptr);
    chooseTrayMenuItem(window, 3);
    EXPECT_EQ(larktest::waitForExit(program_, 10000), 0u);
    EXPECT_EQ(larktest::autoConfigValue(), companyPac);
}

// Presses the close glyph at the top right and waits for the close prompt.
HWND openClosePrompt(HWND window, DWORD processId) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(336, 12));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(336, 12));
    return larktest::waitForWindow(processId, "询问", 10000);
}

TEST_F(ExeTest, TheClosePromptKeepsRunningInTheTrayOrQuits) {
    const HWND window = startProgram();
    ASSERT_NE(window, nullptr);
    chooseTrayMenuItem(window, 1);  // 开始服务
    for (int i = 0; i < 100 && !larktest::autoConfigValue(); ++i) Sleep(50);

    // Enter answers with the default button, "是[托盘]": the window goes to the tray.
    HWND prompt = openClosePrompt(window, program_.processId);
    ASSERT_NE(prompt, nullptr);
    PostMessageA(prompt, WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 100 && IsWindowVisible(window); ++i) Sleep(50);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(larktest::waitForExit(program_, 0));
    EXPECT_TRUE(larktest::autoConfigValue());

    // Back from the tray, Esc in the prompt quits like "否[关闭]".
    SendMessageA(window, lark::kTrayCallbackMessage, lark::kTrayIconId, WM_LBUTTONUP);
    prompt = openClosePrompt(window, program_.processId);
    ASSERT_NE(prompt, nullptr);
    PostMessageA(prompt, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(larktest::waitForExit(program_, 10000), 0u);
    EXPECT_EQ(larktest::autoConfigValue(), std::nullopt);
}

TEST_F(ExeTest, ASecondStartBringsTheFirstForwardAndExits) {
    const HWND window = startProgram();
    ASSERT_NE(window, nullptr);

    // Something else of ours takes the foreground first.
    const HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 400, 100,
                                       100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);

    larktest::Launched second = larktest::launchProgram();
    EXPECT_EQ(larktest::waitForExit(second, 10000), 0u);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_FALSE(larktest::waitForExit(program_, 0));  // the first one still runs
    DestroyWindow(other);
}

}  // namespace
