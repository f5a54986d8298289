#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiWindowAnimation.h"

namespace dui {
namespace {

using test::alphaOf;
using test::pumpFor;
using test::SolidControl;
using test::ToolkitTest;

// One push of an animation step: its constant alpha, the pixel alphas of the pushed surface at
// kPoints (down the middle column, then the middle of the left and right edges) and whether the
// window was layered.
struct Push {
    int alpha;
    std::vector<int> column;
    bool layered;
};
constexpr POINT kPoints[] = {{150, 5},   {150, 60}, {150, 110}, {150, 150},
                             {150, 195}, {5, 100},  {295, 100}};
enum Sample { Top = 0, Bottom = 4, Left = 5, Right = 6 };

// A 300 x 200 frameless host filled with one opaque control, with every pushed step and every
// pause recorded.
class WindowAnimationTest : public ToolkitTest {
protected:
    HWND window = nullptr;
    std::unique_ptr<DuiHost> host;
    SolidControl fill;
    std::vector<Push> pushes;
    std::vector<DWORD> sleeps;

    void make(std::optional<int> windowAlpha) {
        window = createToolkitWindow(nullptr, "animation", 40, 40, 300, 200, nullptr, WS_POPUP, 0);
        ASSERT_NE(window, nullptr);
        host = std::make_unique<DuiHost>();
        AttachOptions options;
        options.captionFlags = 0;
        options.frameStyle = 1;
        options.windowAlpha = windowAlpha;
        options.blurBehind = 0;
        ASSERT_TRUE(host->attach(window, options));
        fill.make(window, RectF(0, 0, 300, 200), 0xFFFF0000);
        pumpFor(20);
        AnimationObserver observer;
        observer.pushed = [this](HWND, const Surface& surface, int alpha) {
            Push push{alpha, {}, false};
            for (POINT p : kPoints) push.column.push_back(alphaOf(surface.pixel(p.x, p.y)));
            push.layered = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
            pushes.push_back(push);
        };
        observer.slept = [this](DWORD ms) { sleeps.push_back(ms); };
        setAnimationObserver(observer);
    }
    void TearDown() override {
        setAnimationObserver({});
        if (IsWindow(window)) DestroyWindow(window);
        host.reset();
        pumpFor(1);
    }
    std::vector<int> alphas() const {
        std::vector<int> result;
        for (const Push& p : pushes) result.push_back(p.alpha);
        return result;
    }
};

TEST_F(WindowAnimationTest, ShowWithoutAnimationShowsAtOnce) {
    make(255);
    ASSERT_FALSE(IsWindowVisible(window));
    host->show();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(pushes.empty());
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(host->busy, 0);
}

TEST_F(WindowAnimationTest, OpeningFadeRisesToAlpha225BeforeTheFullFrame) {
    make(255);
    host->show(AnimationFade);
    EXPECT_TRUE(IsWindowVisible(window));
    // An empty surface first (window mapped invisibly), ten steps of 25, then the full frame.
    EXPECT_EQ(alphas(), (std::vector<int>{-1, 0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 255}));
    EXPECT_EQ(sleeps, std::vector<DWORD>(10, 20));  // default 200 ms over ten steps
    ASSERT_EQ(pushes.size(), 12u);
    EXPECT_EQ(pushes[0].column[2], 0);
    EXPECT_NEAR(pushes[10].column[2], 225, 3);  // the real pixels of the last step
    EXPECT_NEAR(pushes[5].column[2], 100, 3);
    EXPECT_GE(pushes[11].column[2], 253);
    EXPECT_EQ(host->busy, 0);
}

TEST_F(WindowAnimationTest, PopOpensExactlyAsTheBottomToTopWipe) {
    make(255);
    host->show(AnimationPop);
    std::vector<Push> pop = pushes;
    std::vector<DWORD> popSleeps = sleeps;
    ShowWindow(window, SW_HIDE);
    pushes.clear();
    sleeps.clear();
    host->show(AnimationWipeBottomToTop);
    ASSERT_EQ(pop.size(), pushes.size());
    for (std::size_t i = 0; i < pop.size(); ++i) {
        EXPECT_EQ(pop[i].alpha, pushes[i].alpha) << i;
        EXPECT_EQ(pop[i].column, pushes[i].column) << i;
    }
    EXPECT_EQ(popSleeps, sleeps);
    // Step 5 (alpha 100): the bottom 80 rows are revealed, the rows above fade out over 100.
    const Push& step5 = pop[5];
    EXPECT_EQ(step5.alpha, 100);
    EXPECT_NEAR(step5.column[3], 100, 3);  // row 150
    EXPECT_NEAR(step5.column[4], 100, 3);  // row 195
    EXPECT_GT(step5.column[1], 0);         // row 60: inside the soft edge
    EXPECT_LT(step5.column[1], step5.column[2]);
    EXPECT_EQ(step5.column[0], 0);  // row 5: not reached yet
}

TEST_F(WindowAnimationTest, WipesRevealAndHideFromTheirOwnEdge) {
    make(255);
    host->show();
    struct Case {
        int animation;
        Sample from, to;
    };
    for (Case c :
         {Case{AnimationWipeLeftToRight, Left, Right}, Case{AnimationWipeRightToLeft, Right, Left},
          Case{AnimationWipeTopToBottom, Top, Bottom},
          Case{AnimationWipeBottomToTop, Bottom, Top}}) {
        pushes.clear();
        playOpenAnimation(window, host->composeDC(), 255, c.animation, 0, 1, 100);
        ASSERT_EQ(pushes.size(), 12u) << c.animation;
        // Step 5 (alpha 100): the starting edge is revealed, the far edge not yet.
        EXPECT_NEAR(pushes[5].column[c.from], 100, 3) << c.animation;
        EXPECT_EQ(pushes[5].column[c.to], 0) << c.animation;
        EXPECT_GE(pushes[11].column[c.to], 253) << c.animation;

        pushes.clear();
        playCloseAnimation(window, host->composeDC(), 255, c.animation, 0, 1);
        ASSERT_EQ(pushes.size(), 17u) << c.animation;
        // Step 5 (alpha 170): hidden from the starting edge, the far edge still shows.
        EXPECT_EQ(pushes[5].alpha, 170);
        EXPECT_EQ(pushes[5].column[c.from], 0) << c.animation;
        EXPECT_NEAR(pushes[5].column[c.to], 170, 3) << c.animation;
    }
    EXPECT_EQ(host->busy, 0);
}

TEST_F(WindowAnimationTest, ClosingLeavesAWindowLayeredAndOpeningMakesItPlainAgain) {
    make(std::nullopt);  // not layered
    ShowWindow(window, SW_SHOWNA);
    ASSERT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    playCloseAnimation(window, host->composeDC(), host->windowAlpha, AnimationFade, 0,
                       host->frameStyle());
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    // Fifteen steps of 17 down to 0, then the empty surface.
    ASSERT_EQ(pushes.size(), 17u);
    EXPECT_EQ(pushes.front().alpha, 255);
    EXPECT_EQ(pushes[15].alpha, 0);
    EXPECT_EQ(pushes.back().column, std::vector<int>(7, 0));
    EXPECT_EQ(sleeps, std::vector<DWORD>(15, 10));

    pushes.clear();
    ShowWindow(window, SW_HIDE);
    host->show(AnimationZoom);
    ASSERT_FALSE(pushes.empty());
    for (const Push& p : pushes) EXPECT_TRUE(p.layered);  // layered while it animates
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WindowAnimationTest, ClosingZoomOnCloseSleepsTwelveDownToOneThenHides) {
    make(255);
    host->show();
    host->setCloseAnimation(AnimationZoom);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(sleeps, (std::vector<DWORD>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 1, 1, 1}));
    ASSERT_EQ(pushes.size(), 17u);
    // Step 1 is the whole frame; later steps shrink towards the centre, leaving the edge empty.
    EXPECT_GT(pushes[1].column[0], 0);
    EXPECT_EQ(pushes[10].column[0], 0);
    EXPECT_GT(pushes[10].column[2], 0);
    EXPECT_FALSE(IsWindow(window) && IsWindowVisible(window));
}

TEST_F(WindowAnimationTest, ClosingPopSwellsThenShrinksWhileItFades) {
    make(255);
    host->show();
    playCloseAnimation(window, host->composeDC(), 255, AnimationPop, 0, 1);
    std::vector<DWORD> expected{15, 14, 13, 12, 11};
    expected.resize(20, 10);
    EXPECT_EQ(sleeps, expected);
    ASSERT_EQ(pushes.size(), 22u);
    EXPECT_EQ(pushes[1].alpha, 243);
    EXPECT_EQ(pushes[20].alpha, 15);
    EXPECT_GT(pushes[2].column[Left], 0);   // swollen past the frame's own edge
    EXPECT_EQ(pushes[20].column[Left], 0);  // 12 pixels in from every side at the end
    EXPECT_GT(pushes[20].column[2], 0);
}

TEST_F(WindowAnimationTest, CloseAnimationNoneClosesWithoutSteps) {
    make(255);
    host->show();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pushes.empty());
    EXPECT_FALSE(IsWindow(window) && IsWindowVisible(window));
}

TEST_F(WindowAnimationTest, PressesAreIgnoredWhileAnAnimationRuns) {
    make(255);
    int presses = 0;
    host->setMouseDownHandler([&](HWND, ControlHandle, WPARAM, LPARAM, int) { ++presses; });
    LPARAM point = MAKELPARAM(150, 100);
    AnimationObserver observer;
    int busyDuringSteps = 0;
    observer.pushed = [&](HWND, const Surface&, int alpha) {
        busyDuringSteps += host->busy;
        if (alpha == 100) {  // mid-way: a click arrives and is pumped by the next step
            PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
            PostMessageW(window, WM_LBUTTONUP, 0, point);
        }
    };
    setAnimationObserver(observer);
    host->show(AnimationFade);
    EXPECT_EQ(busyDuringSteps, 12);
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(host->busy, 0);
    // The same press after the animation reaches the host.
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
    pumpFor(20);
    EXPECT_EQ(presses, 1);
}

}  // namespace
}  // namespace dui
