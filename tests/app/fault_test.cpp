// The started program against a misbehaving web host and a stream of input: garbage answers end
// in the fallbacks and change nothing else, start/stop cycles through real clicks and tray events
// keep the registry right and leak nothing, and random input never stalls the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
#include "tests/support/Footprint.h"
#include "tests/support/Registry.h"
#include "tests/support/WebHost.h"
#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace {

using larktest::autoConfigValue;
using larktest::textValue;

constexpr char kEmptyCountText[] = "Larkbridge共有:人在线使用";

// What a fault may touch, read before and after it.
struct Snapshot {
    std::string notice, count, link, status;
    std::vector<std::uint8_t> picture;
    std::optional<lark::RegistryValue> registry;
    lark::ServiceState state;
    bool visible;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot() {
    return {lark::headerLabels[1].text(),
            lark::headerLabels[2].text(),
            lark::advertLink,
            lark::statusLabel.text(),
            lark::advertImage.image(),
            autoConfigValue(),
            lark::serviceState,
            IsWindowVisible(lark::mainWindowHandle) != FALSE};
}

class FaultTest : public testing::Test {
protected:
    void SetUp() override {
        lark::startProgram();
        larktest::resetServer();
        larktest::setAutoConfigValue(std::nullopt);
        lark::waitWithMessages(50);
    }
    void TearDown() override {
        larktest::resetServer();
        lark::stopService();
        larktest::setAutoConfigValue(std::nullopt);
    }
};

// One bad answer: what the host serves, the step that reads it and how the snapshot may change.
struct GarbageCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> served;  // path, body
    const char* mode;                                         // server-wide fault mode or null
    void (*step)();
    std::function<void(Snapshot&)> expected;  // turns the snapshot before into the one after
};

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string siteFile(const char* path) {
    return larktest::request("GET", path);
}

void newVersionNotice(Snapshot& s) {
    s.notice = lark::kNewVersionNotice;
}
void noAdvert(Snapshot& s) {
    s.link.clear();
    s.picture.clear();
}
void emptyCount(Snapshot& s) {
    s.count = kEmptyCountText;
}

std::vector<GarbageCase> garbageCases() {
    const std::string png = siteFile("/gg/gg1.png");
    const std::string link = "http://127.0.0.1/ad1";
    auto advertWith = [link](std::string picture) {
        return [link, picture](Snapshot& s) {
            s.link = link;
            s.picture.assign(picture.begin(), picture.end());
        };
    };
    return {
        {"HugeVersionFile", {}, "oversize", lark::checkVersion, newVersionNotice},
        {"BinaryVersionFile",
         {{"/gx.txt", randomBytes(4096, 1)}},
         nullptr,
         lark::checkVersion,
         newVersionNotice},
        {"VersionWithTrailingBlank",
         {{"/gx.txt", "14 "}},
         nullptr,
         lark::checkVersion,
         newVersionNotice},
        {"VersionEndsAtItsZeroByte",
         {{"/gx.txt", std::string("14\0junk", 7)}},
         nullptr,
         lark::checkVersion,
         [](Snapshot& s) { s.notice = lark::kLatestVersionNotice; }},
        {"TruncatedAdvertPicture",
         {{"/gg/ggsl.txt", "1"}, {"/gg/gg1.txt", link}, {"/gg/gg1.png", png.substr(0, 100)}},
         nullptr,
         lark::loadAdvert,
         advertWith(png.substr(0, 100))},
        {"RandomAdvertPicture",
         {{"/gg/ggsl.txt", "1"}, {"/gg/gg1.txt", link}, {"/gg/gg1.png", randomBytes(5000, 2)}},
         nullptr,
         lark::loadAdvert,
         advertWith(randomBytes(5000, 2))},
        {"OversizedAdvertAnswers", {}, "oversize", lark::loadAdvert, noAdvert},
        {"GarbageAdvertAnswers",
         {},
         "garbage",
         lark::loadAdvert,
         [](Snapshot& s) {
             // Random bytes as count, link and picture: whatever link text came is kept as
             // text, and the picture bytes are what the host sent.
             s.link = lark::advertLink;
             s.picture = lark::advertImage.image();
         }},
        {"ServerErrorsGiveNoAdvert", {}, "status-500", lark::loadAdvert, noAdvert},
        {"CounterWithInvalidUtf8",
         {{"/zxtj/ine.php", "document.write(\"\xff\xfe\x80\");"}},
         nullptr,
         lark::refreshOnlineCount,
         [](Snapshot& s) { s.count = lark::headerLabels[2].text(); }},
        {"CounterWithoutMarkers",
         {{"/zxtj/ine.php", "1234"}},
         nullptr,
         lark::refreshOnlineCount,
         emptyCount},
        {"CounterOversized", {}, "oversize", lark::refreshOnlineCount, emptyCount},
        {"CounterServerError", {}, "status-500", lark::refreshOnlineCount, emptyCount},
    };
}

TEST_F(FaultTest, GarbageAnswersEndInTheFallbacksAndChangeNothingElse) {
    for (const GarbageCase& c : garbageCases()) {
        SCOPED_TRACE(c.name);
        larktest::resetServer();
        lark::loadAdvert();  // a known advert and count before each case
        lark::refreshOnlineCount();
        lark::checkVersion();
        for (const auto& [path, body] : c.served) larktest::setServedFile(path, body);
        if (c.mode) larktest::setServerMode(c.mode);
        Snapshot expected = snapshot();
        c.step();
        c.expected(expected);
        EXPECT_EQ(snapshot(), expected);
        EXPECT_TRUE(IsWindow(lark::mainWindowHandle));
    }
    // The counter's invalid UTF-8 case still shows a label of the counter's form.
    larktest::resetServer();
    larktest::setServedFile("/zxtj/ine.php", "document.write(\"\xff\xfe\x80\");");
    lark::refreshOnlineCount();
    EXPECT_TRUE(
        std::regex_match(lark::headerLabels[2].text(), std::regex("Larkbridge共有:.*人在线使用")));
}

// The advert number requested for a count text, read from the host's request log.
int requestedAdvertNumber() {
    static const std::regex pattern("GET /gg/gg(-?[0-9]+)\\.txt");
    const std::string log = larktest::serverLog();
    int number = -1;
    for (std::sregex_iterator it(log.begin(), log.end(), pattern), end; it != end; ++it)
        number = std::stoi((*it)[1]);
    return number;
}

TEST_F(FaultTest, UnreadableAdvertCountsDrawFromTheirFallbackRange) {
    struct Case {
        const char* count;
        int lowest, highest;
    } cases[] = {
        {"-5", 0, 1}, {"abc", 0, 1}, {" +3", 1, 3}, {"99999999999", 1, 32768}, {"", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const Snapshot before = snapshot();
        larktest::setServedFile("/gg/ggsl.txt", c.count);
        for (int i = 0; i < 3; ++i) {
            lark::loadAdvert();
            const int k = requestedAdvertNumber();
            EXPECT_GE(k, c.lowest);
            EXPECT_LE(k, c.highest);
        }
        Snapshot after = snapshot();
        after.link = before.link;
        after.picture = before.picture;
        EXPECT_EQ(after, before);
    }
}

// A real press and release in the main window's client area.
void clickAt(int x, int y) {
    const HWND window = lark::mainWindowHandle;
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 240));
}

void trayMenu(int item) {
    PostMessageA(lark::mainWindowHandle, WM_COMMAND, lark::kMenuCommandBase + item, 0);
}

void trayLeftClick() {
    PostMessageA(lark::mainWindowHandle, lark::kTrayCallbackMessage, lark::kTrayIconId,
                 WM_LBUTTONUP);
}

// Pumps messages until the service reaches the state (start takes 1.3 s by design).
bool settlesAt(lark::ServiceState state) {
    for (int i = 0; i < 150; ++i) {
        lark::waitWithMessages(20);
        if (lark::serviceState == state) return true;
    }
    return false;
}

// Start/stop cycles run here; tools/bench.sh runs the full 1,000 (each start waits 1.3 s by
// design, too long for every test run).
constexpr int kCiCycles = 12;

TEST_F(FaultTest, StartStopCyclesKeepTheRegistryRightAndLeakNothing) {
    const auto ours = textValue(lark::nodeUrl(1));
    // One warm-up cycle, so lazily made objects exist before counting.
    clickAt(63, 82);
    ASSERT_TRUE(settlesAt(lark::ServiceState::Running));
    clickAt(129, 82);
    ASSERT_TRUE(settlesAt(lark::ServiceState::Stopped));
    lark::waitWithMessages(300);
    const long objects = larktest::liveGraphicsObjects();
    const SIZE_T memory = larktest::committedBytes();
    ASSERT_GT(memory, 0u);

    for (int cycle = 0; cycle < kCiCycles; ++cycle) {
        SCOPED_TRACE(cycle);
        // Start by a click or the tray menu, stop by a click or the tray menu, with the window
        // sent to the tray and brought back in between on some cycles.
        if (cycle % 2)
            trayMenu(1);
        else
            clickAt(63, 82);
        ASSERT_TRUE(settlesAt(lark::ServiceState::Running));
        EXPECT_EQ(autoConfigValue(), ours);
        if (cycle % 3 == 0) {
            lark::minimiseToTray();
            trayLeftClick();
        }
        if (cycle % 4 < 2)
            trayMenu(2);
        else
            clickAt(129, 82);
        ASSERT_TRUE(settlesAt(lark::ServiceState::Stopped));
        EXPECT_EQ(autoConfigValue(), std::nullopt);
    }
    lark::waitWithMessages(300);
    EXPECT_LE(larktest::liveGraphicsObjects(), objects);
    EXPECT_LT(larktest::committedBytes(), memory + 2 * 1024 * 1024);
}

// Random input: the number of events and the time here; tools/bench.sh runs 10,000 events over
// two minutes.
constexpr int kCiEvents = 2000;
constexpr DWORD kCiEventsMs = 15000;

// Out of random input's reach: the main window's close glyph (its prompt may quit the process),
// its advert and the about window (both open a browser).
bool isSafeToClick(POINT point) {
    RECT main{};
    GetWindowRect(lark::mainWindowHandle, &main);
    const RECT closeGlyph{main.right - 32, main.top, main.right, main.top + 26};
    const RECT advert{main.left, main.top + 155, main.right, main.bottom};
    RECT about{};
    if (IsWindowVisible(lark::aboutWindowHandle)) GetWindowRect(lark::aboutWindowHandle, &about);
    return !PtInRect(&closeGlyph, point) && !PtInRect(&advert, point) && !PtInRect(&about, point);
}

// Real input (the system's queue, so button states stay true and the window's drag loop ends)
// at random places over the main and node windows while the user-interface thread runs; gives
// the longest time the main window took to answer a message meanwhile.
DWORD randomInputLongestAnswer(int events, DWORD durationMs) {
    std::atomic<DWORD> longest{0};
    std::atomic<bool> done{false};
    std::thread driver([&] {
        std::mt19937 random(20261211);
        const WORD keys[] = {VK_TAB, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'N', 'Y', VK_SHIFT};
        const DWORD pause = durationMs / events;
        bool pressed = false;
        for (int i = 0; i < events; ++i) {
            const bool node = IsWindowVisible(lark::nodeWindowHandle) && random() % 3 == 0;
            const HWND window = node ? lark::nodeWindowHandle : lark::mainWindowHandle;
            if (!IsWindowVisible(window)) {  // sent to the tray: bring it back as a user would
                PostMessageA(window, lark::kTrayCallbackMessage, lark::kTrayIconId, WM_LBUTTONUP);
                Sleep(100);
                continue;
            }
            // A close prompt a click opened is answered "是[托盘]", as a user who goes on would.
            if (const HWND prompt = FindWindowA(nullptr, "询问"))
                PostMessageA(prompt, WM_KEYDOWN, VK_RETURN, 0);
            RECT bounds{};
            GetWindowRect(window, &bounds);
            const POINT point{bounds.left + static_cast<int>(random() % 350),
                              bounds.top + static_cast<int>(random() % 250)};
            if (!isSafeToClick(point)) continue;
            INPUT input{};
            if (random() % 3 == 0) {
                WORD key = keys[random() % std::size(keys)];
                if (node && GetForegroundWindow() == window && random() % 2)
                    key = random() % 2 ? VK_RETURN : VK_SPACE;
                input.type = INPUT_KEYBOARD;
                input.ki.wVk = key;
                SendInput(1, &input, sizeof input);
                input.ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(1, &input, sizeof input);
            } else {
                SetCursorPos(point.x, point.y);
                const int choice = static_cast<int>(random() % 6);
                input.type = INPUT_MOUSE;
                if (choice == 0) {
                    input.mi.dwFlags = pressed ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
                    pressed = !pressed;
                } else if (choice == 1) {
                    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
                    input.mi.mouseData = random() % 2 ? WHEEL_DELTA : -WHEEL_DELTA;
                }
                if (input.mi.dwFlags) SendInput(1, &input, sizeof input);
            }
            if (i % 10 == 0) {
                DWORD_PTR result = 0;
                const DWORD sent = GetTickCount();
                const BOOL answered = SendMessageTimeoutA(lark::mainWindowHandle, WM_NULL, 0, 0,
                                                          SMTO_NORMAL, 2000, &result);
                const DWORD took = answered ? GetTickCount() - sent : 2000;
                if (took > longest) longest = took;
                if (took >= 2000) break;  // stalled: no point going on
            }
            Sleep(pause);
        }
        if (pressed) {
            INPUT up{};
            up.type = INPUT_MOUSE;
            up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(1, &up, sizeof up);
        }
        done = true;
    });
    while (!done) lark::waitWithMessages(10);
    driver.join();
    return longest;
}

// The program quits through std::exit(0); reached during random input that would end this test
// as a silent success, so it ends the process with a failure code instead.
std::atomic<bool> underRandomInput{false};
void failIfQuitUnderRandomInput() {
    if (underRandomInput) {
        std::fputs("random input made the program quit\n", stderr);
        std::_Exit(3);
    }
}

TEST_F(FaultTest, RandomInputNeverStallsTheWindowAndLeavesTheRegistryConsistent) {
    std::atexit(failIfQuitUnderRandomInput);
    underRandomInput = true;
    const DWORD longest = randomInputLongestAnswer(kCiEvents, kCiEventsMs);
    underRandomInput = false;
    EXPECT_LT(longest, 1000u);
    // Let a start or stop in progress finish, then the registry matches the state.
    lark::waitWithMessages(1500);
    if (lark::serviceState == lark::ServiceState::Running)
        EXPECT_EQ(autoConfigValue(), textValue(lark::pacUrl));
    else
        EXPECT_EQ(autoConfigValue(), std::nullopt);
    EXPECT_TRUE(IsWindow(lark::mainWindowHandle));
}

}  // namespace
