// The application's windows in a started program: their controls in the composed frames, the two
// looks of the service, the tray, node choice with its latency, the about window and the counter.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "app/AboutWindow.h"
#include "app/Forms.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/NodeWindow.h"
#include "app/OnlineCounter.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
#include "app/WindowLook.h"
#include "tests/support/Registry.h"
#include "ui/DuiDraw.h"

namespace {

using larktest::autoConfigValue;
using larktest::textValue;

// The composed frame's pixel as 0xRRGGBB.
std::uint32_t framePixel(const dui::DuiHost& host, int x, int y) {
    return host.compose.pixel(x, y) & 0xFFFFFF;
}

constexpr std::uint32_t rgbOf(COLORREF color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Waits, pumping messages, until the condition holds or the time is up.
template <class Condition>
bool waitFor(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        lark::waitWithMessages(20);
    }
    return true;
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        lark::startProgram();
        larktest::setAutoConfigValue(std::nullopt);
        lark::waitWithMessages(50);
    }
    void TearDown() override {
        lark::stopService();
        larktest::setAutoConfigValue(std::nullopt);
    }
};

TEST_F(MainWindowTest, ControlsStandWhereTheTablePutsThem) {
    const dui::DuiHost& host = lark::mainHost;
    EXPECT_EQ(framePixel(host, 3, 140), rgbOf(lark::kPanelColor));        // upper panel
    EXPECT_EQ(framePixel(host, 3, 248), rgbOf(lark::kPanelColor));        // lower panel
    EXPECT_EQ(framePixel(host, 15, 110), rgbOf(lark::kInnerPanelColor));  // state panel
    EXPECT_EQ(framePixel(host, 340, 45), rgbOf(lark::kInnerPanelColor));
    // The advert fills its place, and its top edge carries the dashes of its frame.
    EXPECT_NE(framePixel(host, 175, 200), rgbOf(lark::kPanelColor));
    EXPECT_EQ(framePixel(host, 4, 200), rgbOf(lark::kPanelColor));
    int changes = 0;
    for (int x = 9; x < 341; ++x)
        changes += framePixel(host, x, 159) != framePixel(host, x - 1, 159);
    EXPECT_GT(changes, 20);
    // The start button's frame is drawn over the state panel at its left edge.
    EXPECT_NE(framePixel(host, 26, 80), rgbOf(lark::kInnerPanelColor));
    EXPECT_EQ(lark::startButton.text(), "启动服务");
    EXPECT_EQ(lark::headerLabels[0].text(), "Larkbridge v14");
    EXPECT_EQ(lark::statusLabel.text(), "║  暂未启动服务...");
}

TEST_F(MainWindowTest, StartAndStopRestyleTheWindow) {
    lark::startService();
    EXPECT_EQ(lark::startButton.text(), "Service ok!");
    EXPECT_EQ(lark::startButton.textColor(), dui::argbColor(0xE5C14E, 255));
    EXPECT_EQ(lark::startButton.fontStyle(), 1);
    EXPECT_EQ(lark::statusLabel.text(), "●  已经启动服务并服务中");
    EXPECT_EQ(lark::statusLabel.textColor(), dui::argbColor(0xE5C14E, 255));
    lark::waitWithMessages(100);
    EXPECT_EQ(framePixel(lark::mainHost, 15, 110), rgbOf(0x201A14));

    lark::stopService();
    EXPECT_EQ(lark::startButton.text(), "启动服务");
    EXPECT_EQ(lark::startButton.textColor(), dui::argbColor(0xFFFFFF, 200));
    EXPECT_EQ(lark::statusLabel.text(), "║  暂未启动服务...");
    lark::waitWithMessages(100);
    EXPECT_EQ(framePixel(lark::mainHost, 15, 110), rgbOf(lark::kInnerPanelColor));
}

TEST_F(MainWindowTest, MinimiseHidesIntoTheTrayAndALeftClickBringsItBackCentredOnTop) {
    const HWND window = lark::mainWindowHandle;
    lark::minimiseToTray();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(lark::hasTrayIcon(window));

    SendMessageA(window, lark::kTrayCallbackMessage, lark::kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT bounds, work;
    GetWindowRect(window, &bounds);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(bounds.left + bounds.right, work.left + work.right, 2);
    EXPECT_NEAR(bounds.top + bounds.bottom, work.top + work.bottom, 2);
    EXPECT_EQ(bounds.right - bounds.left, 350);
}

TEST_F(MainWindowTest, NodeOneIsChosenAtStartAndTheChoiceTakesEffectAtTheNextStart) {
    // As start-up left it: node 1 selected and disabled, the others clickable.
    EXPECT_EQ(lark::nodeButtons[0].disabled(), 1);
    EXPECT_EQ(lark::nodeButtons[1].disabled(), 0);
    EXPECT_EQ(lark::nodeButtons[2].disabled(), 0);
    EXPECT_EQ(lark::nodeButtons[3].disabled(), 0);
    EXPECT_EQ(lark::pacUrl, lark::nodeUrl(1));

    lark::selectNode(3);
    EXPECT_EQ(lark::nodeButtons[2].disabled(), 1);
    EXPECT_EQ(lark::nodeButtons[0].disabled(), 0);
    lark::startService();
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(3)));
    lark::selectNode(2);
    EXPECT_EQ(autoConfigValue(), textValue(lark::nodeUrl(3)));
    lark::selectNode(1);
}

HWND noticeBox;
void CALLBACK closeNotice(HWND, UINT, UINT_PTR id, DWORD) {
    noticeBox = FindWindowA(nullptr, "提示：");
    if (!noticeBox) return;
    KillTimer(nullptr, id);
    PostMessageA(noticeBox, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(MainWindowTest, TheFourthEntryOnlyShowsItsNotice) {
    noticeBox = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, closeNotice);
    // A real press on the fourth entry, as the host receives it.
    const LPARAM centre = MAKELPARAM(168 + 67, 120 + 27);
    PostMessageA(lark::nodeWindowHandle, WM_MOUSEMOVE, 0, centre);
    PostMessageA(lark::nodeWindowHandle, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(lark::nodeWindowHandle, WM_LBUTTONUP, 0, centre);
    EXPECT_TRUE(waitFor([] { return noticeBox != nullptr; }, 5000));
    KillTimer(nullptr, timer);
    lark::waitWithMessages(300);
    EXPECT_EQ(lark::pacUrl, lark::nodeUrl(1));
    EXPECT_EQ(autoConfigValue(), std::nullopt);
    EXPECT_EQ(lark::nodeButtons[0].disabled(), 1);
}

// What the shell handed to the browser so far (the test prefix's browser only notes it).
std::string openedUrls() {
    std::ifstream file(LARKBRIDGE_OPENED_URLS);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A real press in the middle of a control, as the host receives it.
void press(HWND window, const dui::DuiControl& control) {
    dui::DuiControl& c = const_cast<dui::DuiControl&>(control);
    const LPARAM centre = MAKELPARAM(c.left() + c.width() / 2, c.top() + c.height() / 2);
    PostMessageA(window, WM_MOUSEMOVE, 0, centre);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(window, WM_LBUTTONUP, 0, centre);
}

TEST_F(MainWindowTest, TheVisitButtonAndTheAdvertOpenOnlyWebAddresses) {
    const std::size_t before = openedUrls().size();
    lark::showAboutWindow();
    press(lark::aboutWindowHandle, lark::visitSiteButton);
    EXPECT_TRUE(waitFor([&] { return openedUrls().size() > before; }, 10000));
    EXPECT_NE(openedUrls().find(lark::webHost + "/\n", before), std::string::npos) << openedUrls();
    lark::hideAboutWindow();

    const std::string saved = lark::advertLink;
    lark::advertLink = "file:///c:/windows/system32/calc.exe";
    const std::size_t afterSite = openedUrls().size();
    press(lark::mainWindowHandle, lark::advertImage);
    lark::waitWithMessages(1500);
    EXPECT_EQ(openedUrls().size(), afterSite);

    lark::advertLink = lark::webHost + "/ad-test";
    press(lark::mainWindowHandle, lark::advertImage);
    EXPECT_TRUE(waitFor([&] { return openedUrls().size() > afterSite; }, 10000));
    EXPECT_NE(openedUrls().find(lark::webHost + "/ad-test\n", afterSite), std::string::npos);
    lark::advertLink = saved;
}

TEST_F(MainWindowTest, LatencyLabelShowsTheLoopbackTime) {
    lark::latencyLabels[1].text("?ms");
    lark::onLatencyTimer();
    ASSERT_TRUE(waitFor([] { return lark::latencyLabels[1].text() != "?ms"; }, 3000));
    const std::string text = lark::latencyLabels[1].text();
    EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]+ms"))) << text;
}

TEST_F(MainWindowTest, TheCounterTickSetsTheLabelOnTheWindowsThread) {
    lark::headerLabels[2].text(lark::kOnlineCountInitialText);
    lark::onOnlineCountTimer();
    ASSERT_TRUE(waitFor(
        [] { return lark::headerLabels[2].text() != lark::kOnlineCountInitialText; }, 5000));
    const std::string text = lark::headerLabels[2].text();
    EXPECT_TRUE(std::regex_match(text, std::regex("Larkbridge共有:[0-9]+人在线使用"))) << text;
}

TEST_F(MainWindowTest, SecondaryWindowsShowAndHideWithTheirContentsKept) {
    lark::showAboutWindow();
    EXPECT_TRUE(IsWindowVisible(lark::aboutWindowHandle));
    const std::string text = lark::aboutTextLabel.text();
    lark::hideAboutWindow();
    EXPECT_FALSE(IsWindowVisible(lark::aboutWindowHandle));
    lark::showAboutWindow();
    EXPECT_EQ(lark::aboutTextLabel.text(), text);
    lark::hideAboutWindow();

    lark::showNodeWindow();
    EXPECT_TRUE(IsWindowVisible(lark::nodeWindowHandle));
    lark::hideNodeWindow();
    EXPECT_FALSE(IsWindowVisible(lark::nodeWindowHandle));
}

}  // namespace
