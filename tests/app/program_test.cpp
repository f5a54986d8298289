// Start-up pieces in process: the version check against the local web host and the helpers of
// the single-instance guard.
#include <gtest/gtest.h>

#include <string>

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/Program.h"
#include "tests/support/WebHost.h"

namespace {

// First in the file: it sees the program exactly as start-up left it.
TEST(StartUp, BeginsIdleOnNodeOneWithTheVersionCheckedAndTheTrayInPlace) {
    lark::startProgram();
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Idle);
    EXPECT_EQ(lark::pacUrl, lark::nodeUrl(1));
    EXPECT_EQ(lark::headerLabels[1].text(), lark::kLatestVersionNotice);
    EXPECT_TRUE(lark::hasTrayIcon(lark::mainWindowHandle));
    EXPECT_EQ(lark::trayTooltip(lark::mainWindowHandle), "Larkbridge");
    char title[64] = {};
    GetWindowTextA(lark::mainWindowHandle, title, sizeof title);
    EXPECT_STREQ(title, "Larkbridge SteamCommunity");
    EXPECT_TRUE(IsWindow(lark::aboutWindowHandle) && !IsWindowVisible(lark::aboutWindowHandle));
    EXPECT_TRUE(IsWindow(lark::nodeWindowHandle) && !IsWindowVisible(lark::nodeWindowHandle));
}

struct VersionCase {
    const char* name;
    std::string published;  // body of /gx.txt
    const char* notice;
};

class VersionCheckTest : public testing::TestWithParam<VersionCase> {
protected:
    void SetUp() override { lark::startProgram(); }
    void TearDown() override { larktest::resetServer(); }
};

TEST_P(VersionCheckTest, ComparesThePublishedTextExactly) {
    const VersionCase& c = GetParam();
    larktest::setServedFile("/gx.txt", c.published);
    lark::headerLabels[1].text("");
    lark::checkVersion();
    EXPECT_EQ(lark::headerLabels[1].text(), c.notice);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionCheckTest,
    testing::Values(VersionCase{"Same", "14", lark::kLatestVersionNotice},
                    VersionCase{"TextEndsAtZeroByte", std::string("14\0junk", 7),
                                lark::kLatestVersionNotice},
                    VersionCase{"TrailingLineBreak", "14\r\n", lark::kNewVersionNotice},
                    VersionCase{"Newer", "15", lark::kNewVersionNotice},
                    VersionCase{"Empty", "", lark::kNewVersionNotice},
                    VersionCase{"OtherCase", "v14", lark::kNewVersionNotice}),
    [](const testing::TestParamInfo<VersionCase>& info) { return info.param.name; });

TEST(VersionCheck, ServerDownMeansNewVersionNotice) {
    lark::startProgram();
    const std::string saved = lark::webHost;
    lark::webHost = "http://127.0.0.1:1";  // nothing listens there
    lark::headerLabels[1].text("");
    lark::checkVersion();
    lark::webHost = saved;
    EXPECT_EQ(lark::headerLabels[1].text(), lark::kNewVersionNotice);
}

TEST(SingleInstance, FindsProcessesByNameWhateverTheCase) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = strrchr(path, '\\') + 1;
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(lark::findProcessByName(name), GetCurrentProcessId());
    EXPECT_EQ(lark::findProcessByName("no-such-program.exe"), 0u);
}

TEST(SingleInstance, FindsAVisibleWindowOfTheProcessOrGivesUpInTime) {
    lark::startProgram();
    ASSERT_TRUE(IsWindowVisible(lark::mainWindowHandle));
    const HWND found = lark::findProcessWindow(GetCurrentProcessId(), 2000);
    ASSERT_NE(found, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    EXPECT_EQ(owner, GetCurrentProcessId());

    const DWORD start = GetTickCount();
    EXPECT_EQ(lark::findProcessWindow(0x7FFFFFF0, 100), nullptr);
    EXPECT_LT(GetTickCount() - start, 1000u);
}

}  // namespace
