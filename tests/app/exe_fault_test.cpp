// The real larkbridge.exe against a web host that never answers, and every way out of it
// leaving a user's own proxy setting in place.
#include <gtest/gtest.h>

#include "app/Forms.h"
#include "app/Platform.h"
#include "tests/support/Process.h"
#include "tests/support/Registry.h"
#include "tests/support/WebHost.h"

namespace {

constexpr char kMainTitle[] = "Larkbridge SteamCommunity";

class ExeFaultTest : public testing::Test {
protected:
    void SetUp() override {
        larktest::resetServer();
        larktest::setAutoConfigValue(std::nullopt);
    }
    void TearDown() override {
        if (program_.process && !larktest::waitForExit(program_, 0))
            TerminateProcess(program_.process.get(), 1);
        larktest::resetServer();
        larktest::setAutoConfigValue(std::nullopt);
    }
    larktest::Launched program_;
};

TEST_F(ExeFaultTest, AHostThatNeverAnswersStillLetsTheWindowAppear) {
    larktest::setServerMode("hang");
    const DWORD start = GetTickCount();
    program_ = larktest::launchProgram();
    // Start-up makes four bounded downloads and one counter post with its 15 s time-outs.
    const DWORD bound = 4 * lark::kHttpDeadlineMs + 15000 + 10000;
    const HWND window = larktest::waitForWindow(program_.processId, kMainTitle, bound);
    ASSERT_NE(window, nullptr);
    EXPECT_LT(GetTickCount() - start, bound);
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result));
}

// Each way out after a start, with the user's own PAC setting in place before the start.
enum class ExitPath { TrayQuit, PromptClose, PromptEscape, SessionEnd };

HWND openClosePrompt(HWND window, DWORD processId) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(336, 12));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(336, 12));
    HWND prompt = larktest::waitForWindow(processId, "询问", 10000);
    lark::waitWithMessages(600);  // its opening animation
    return prompt;
}

class ExitPathTest : public ExeFaultTest, public testing::WithParamInterface<ExitPath> {};

TEST_P(ExitPathTest, LeavesNoValueOfOursAndTheUsersOwnSurvives) {
    const auto companyPac = larktest::textValue("http://proxy.corp.example/wpad.pac");
    larktest::setAutoConfigValue(companyPac);
    program_ = larktest::launchProgram();
    const HWND window = larktest::waitForWindow(program_.processId, kMainTitle, 15000);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, lark::kMenuCommandBase + 1, 0);  // 开始服务
    for (int i = 0; i < 100 && larktest::autoConfigValue() == companyPac; ++i) Sleep(50);
    ASSERT_NE(larktest::autoConfigValue(), companyPac);

    switch (GetParam()) {
        case ExitPath::TrayQuit:
            PostMessageA(window, WM_COMMAND, lark::kMenuCommandBase + 3, 0);  // 退出
            break;
        case ExitPath::PromptClose: {
            // "否[关闭]" is the rightmost of the prompt's two buttons, 8 px in from its right.
            const HWND prompt = openClosePrompt(window, program_.processId);
            ASSERT_NE(prompt, nullptr);
            RECT box{};
            GetClientRect(prompt, &box);
            const LPARAM at = MAKELPARAM(box.right - 8 - 35, box.bottom - 35 + 12);
            PostMessageA(prompt, WM_MOUSEMOVE, 0, at);
            PostMessageA(prompt, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(prompt, WM_LBUTTONUP, 0, at);
            break;
        }
        case ExitPath::PromptEscape: {
            const HWND prompt = openClosePrompt(window, program_.processId);
            ASSERT_NE(prompt, nullptr);
            PostMessageA(prompt, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        }
        case ExitPath::SessionEnd:
            // The system asks, then ends the session and with it the process.
            SendMessageA(window, WM_QUERYENDSESSION, 0, 0);
            SendMessageA(window, WM_ENDSESSION, TRUE, 0);
            TerminateProcess(program_.process.get(), 0);
            break;
    }
    EXPECT_EQ(larktest::waitForExit(program_, 10000), 0u);
    EXPECT_EQ(larktest::autoConfigValue(), companyPac);
}

std::string exitPathName(const testing::TestParamInfo<ExitPath>& info) {
    static const char* const names[] = {"TrayQuit", "PromptClose", "PromptEscape", "SessionEnd"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, ExitPathTest,
                         testing::Values(ExitPath::TrayQuit, ExitPath::PromptClose,
                                         ExitPath::PromptEscape, ExitPath::SessionEnd),
                         exitPathName);

}  // namespace
