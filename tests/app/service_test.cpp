// Start and stop against the real per-user registry, tray and menu of a started program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
#include "tests/support/Registry.h"

namespace {

using lark::RegistryValue;
using larktest::autoConfigValue;
using larktest::setAutoConfigValue;
using larktest::textValue;

class ServiceTest : public testing::Test {
protected:
    void SetUp() override {
        lark::startProgram();
        setAutoConfigValue(std::nullopt);
        lark::pacUrl = lark::nodeUrl(1);
        lark::serviceState = lark::ServiceState::Idle;
        lark::updateTrayIcon();
        lark::setMenuItemEnabled(lark::mainWindowHandle, lark::kStopMenuItem, false);
    }
    void TearDown() override { setAutoConfigValue(std::nullopt); }

    static const std::string& tooltip() { return lark::trayTooltip(lark::mainWindowHandle); }
    static bool stopItemEnabled() {
        return lark::menuItemEnabled(lark::mainWindowHandle, lark::kStopMenuItem);
    }
};

TEST_F(ServiceTest, StartWritesTheNodeUrlAndStopRemovesIt) {
    EXPECT_EQ(tooltip(), "Larkbridge");
    EXPECT_EQ(lark::trayIcon(lark::mainWindowHandle), lark::idleTrayIcon.get());

    lark::startService();
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(1)));
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Running);
    EXPECT_EQ(tooltip(), "Larkbridge 服务中");
    EXPECT_EQ(lark::trayIcon(lark::mainWindowHandle), lark::runningTrayIcon.get());
    EXPECT_TRUE(stopItemEnabled());

    lark::stopService();
    EXPECT_EQ(autoConfigValue(), std::nullopt);
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Stopped);
    EXPECT_EQ(tooltip(), "Larkbridge 暂未开启服务");
    EXPECT_EQ(lark::trayIcon(lark::mainWindowHandle), lark::idleTrayIcon.get());
    EXPECT_FALSE(stopItemEnabled());
}

TEST_F(ServiceTest, StopRightAfterLaunchFindsNothingAndStillMovesOn) {
    lark::stopService();
    EXPECT_EQ(autoConfigValue(), std::nullopt);
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Stopped);
    EXPECT_EQ(tooltip(), "Larkbridge 暂未开启服务");
}

TEST_F(ServiceTest, StartTwiceKeepsTheValue) {
    lark::startService();
    lark::startService();
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(1)));
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Running);
    EXPECT_TRUE(stopItemEnabled());
}

TEST_F(ServiceTest, TheChosenNodeTakesEffectAtTheNextStart) {
    lark::pacUrl = lark::nodeUrl(3);
    lark::startService();
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(3)));

    lark::pacUrl = lark::nodeUrl(2);
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(3)));
    lark::startService();
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(2)));
}

lark::ServiceState stateAfterStop;
bool valueAfterStop;
void CALLBACK stopFromTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    lark::stopService();
    stateAfterStop = lark::serviceState;
    valueAfterStop = autoConfigValue().has_value();
}

// A stop clicked while start shows its running look completes first; start then ends Running.
TEST_F(ServiceTest, StopDuringTheRunningLookCompletesFirst) {
    stateAfterStop = lark::ServiceState::Idle;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, stopFromTimer);
    ASSERT_NE(timer, 0u);
    lark::startService();
    EXPECT_EQ(stateAfterStop, lark::ServiceState::Stopped);
    EXPECT_FALSE(valueAfterStop);
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Running);
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(1)));
    EXPECT_EQ(tooltip(), "Larkbridge 服务中");
}

// A user's own PAC setting is never lost; our own leftovers are cleaned up.
struct RegistryCase {
    const char* name;
    std::optional<RegistryValue> before;
    std::vector<char> actions;  // 's' start, 'x' stop
    std::optional<RegistryValue> after;
};

class ServiceRegistryTest : public ServiceTest, public testing::WithParamInterface<RegistryCase> {};

TEST_P(ServiceRegistryTest, LeavesTheExpectedValue) {
    const RegistryCase& c = GetParam();
    setAutoConfigValue(c.before);
    for (char action : c.actions) action == 's' ? lark::startService() : lark::stopService();
    EXPECT_EQ(autoConfigValue(), c.after);
}

const RegistryValue kCompanyPac = larktest::textValue("http://proxy.corp.example/wpad.pac");

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceRegistryTest,
    testing::Values(
        RegistryCase{"NothingBefore", std::nullopt, {'s', 'x'}, std::nullopt},
        RegistryCase{"ForeignRestoredAfterStartStop", kCompanyPac, {'s', 'x'}, kCompanyPac},
        RegistryCase{"ForeignKeptByStopAlone", kCompanyPac, {'x'}, kCompanyPac},
        RegistryCase{"ForeignSurvivesTwoStarts", kCompanyPac, {'s', 's', 'x'}, kCompanyPac},
        RegistryCase{"ForeignExpandStringKeepsItsType",
                     textValue("%USERPROFILE%\\proxy.pac", REG_EXPAND_SZ),
                     {'s', 'x'},
                     textValue("%USERPROFILE%\\proxy.pac", REG_EXPAND_SZ)},
        RegistryCase{
            "LeftoverOfOursRemovedByFirstStop", textValue(lark::nodeUrl(2)), {'x'}, std::nullopt},
        RegistryCase{"RemovedAgainAfterRestore", kCompanyPac, {'s', 'x', 'x'}, kCompanyPac}),
    [](const testing::TestParamInfo<RegistryCase>& info) { return info.param.name; });

TEST_F(ServiceTest, AValueChangedByTheUserWhileRunningIsLeftAlone) {
    setAutoConfigValue(kCompanyPac);
    lark::startService();
    const RegistryValue usersNewChoice = textValue("http://other.example/new.pac");
    setAutoConfigValue(usersNewChoice);
    lark::stopService();
    EXPECT_EQ(autoConfigValue(), usersNewChoice);
}

TEST_F(ServiceTest, SessionEndUndoesTheChangeWithoutLooks) {
    setAutoConfigValue(kCompanyPac);
    lark::startService();
    SendMessageA(lark::mainWindowHandle, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(autoConfigValue(), kCompanyPac);

    setAutoConfigValue(std::nullopt);
    lark::startService();
    SendMessageA(lark::mainWindowHandle, WM_ENDSESSION, FALSE, 0);  // the session goes on
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(1)));
    SendMessageA(lark::mainWindowHandle, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(autoConfigValue(), std::nullopt);
}

TEST_F(ServiceTest, TrayMenuItemsRunTheirHandlers) {
    SendMessageA(lark::mainWindowHandle, WM_COMMAND, lark::kMenuCommandBase + 1, 0);
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Running);
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(1)));
    SendMessageA(lark::mainWindowHandle, WM_COMMAND, lark::kMenuCommandBase + 2, 0);
    EXPECT_EQ(lark::serviceState, lark::ServiceState::Stopped);
    EXPECT_EQ(autoConfigValue(), std::nullopt);
}

}  // namespace
