// The program when its web host cannot be reached: refused connections at start-up, and a counter
// worker stuck on a host that accepts and never answers while the window keeps answering.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/OnlineCounter.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "tests/support/WebHost.h"

namespace {

constexpr char kEmptyCountText[] = "Larkbridge共有:人在线使用";

// Nothing listens on port 1 of the loopback address, so every request there is refused.
constexpr char kRefusingHost[] = "http://127.0.0.1:1";

TEST(UnreachableHost, RefusedConnectionsStillShowTheWindowWithinTwoSecondsWithTheFallbacks) {
    lark::webHost = kRefusingHost;
    const DWORD start = GetTickCount();
    lark::startProgram();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 2000u);
    ASSERT_NE(lark::mainWindowHandle, nullptr);
    EXPECT_TRUE(IsWindowVisible(lark::mainWindowHandle));
    EXPECT_EQ(lark::headerLabels[1].text(), lark::kNewVersionNotice);
    EXPECT_EQ(lark::headerLabels[2].text(), kEmptyCountText);
    // No advert came: the link stays empty and the picture has no bytes of the host's.
    EXPECT_EQ(lark::advertLink, "");
    EXPECT_TRUE(lark::advertImage.image().empty());

    // A counter tick against the refusing host lands on the same empty count, on this thread.
    lark::headerLabels[2].text(lark::kOnlineCountInitialText);
    lark::onOnlineCountTimer();
    const DWORD tick = GetTickCount();
    while (lark::headerLabels[2].text() != kEmptyCountText && GetTickCount() - tick < 5000)
        lark::waitWithMessages(20);
    EXPECT_EQ(lark::headerLabels[2].text(), kEmptyCountText);
}

// The longest a window message may wait while a worker is stuck on the network.
constexpr DWORD kUiAnswerMs = 100;

TEST(UnreachableHost, TheWindowAnswersWithinATenthOfASecondWhileACounterWorkerIsStuck) {
    lark::startProgram();
    lark::webHost = LARKBRIDGE_WEB_HOST;
    larktest::setServerMode("hang");
    const std::string before = lark::headerLabels[2].text();
    lark::onOnlineCountTimer();  // its request now waits for up to its 15 s time-outs

    // Another thread asks the window while this one runs the message loop as the program does.
    std::atomic<int> answered{0}, late{0};
    std::atomic<bool> done{false};
    std::thread prober([&] {
        Sleep(300);  // the worker has sent its request by now
        for (int i = 0; i < 40; ++i) {
            DWORD_PTR result = 0;
            const DWORD sent = GetTickCount();
            if (SendMessageTimeoutA(lark::mainWindowHandle, WM_NULL, 0, 0, SMTO_NORMAL, kUiAnswerMs,
                                    &result) &&
                GetTickCount() - sent <= kUiAnswerMs)
                ++answered;
            else
                ++late;
            Sleep(50);
        }
        done = true;
    });
    while (!done) lark::waitWithMessages(10);
    prober.join();
    larktest::resetServer();

    EXPECT_EQ(late.load(), 0);
    EXPECT_EQ(answered.load(), 40);
    // The worker was still waiting all along: its answer has not reached the label.
    EXPECT_EQ(lark::headerLabels[2].text(), before);
}

}  // namespace
