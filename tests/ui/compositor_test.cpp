#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/ui/HostTestSupport.h"

namespace dui {
namespace {

using test::blueOf;
using test::greenOf;
using test::HostTest;
using test::pumpFor;
using test::redOf;
using test::SolidControl;

using test::kBlue;
using test::kGreen;
using test::kRed;
// Long enough that the real timer never fires during a test: the ticks are driven by hand.
constexpr int kSlowInterval = 100000;

class CompositorTest : public HostTest {
protected:
    // Runs one frame of c's transition as its timer would.
    void tick(SolidControl& c) { c.transitionTick(window, WM_TIMER, c.handle() + 1, 0); }
};

TEST_F(CompositorTest, HiddenControlsAndTheirSubtreesAreNotDrawn) {
    for (int hidden : {0, 2}) {
        SolidControl parent, child;
        parent.make(window, RectF(10, 10, 60, 60), kRed, hidden);
        child.make(parent.handle(), RectF(20, 20, 20, 20), kBlue);
        pumpFor(20);
        host->invalidateRect(RectF(0, 0, 300, 200), 0);
        EXPECT_EQ(test::alphaOf(px(12, 12)), 0) << "visible " << hidden;
        EXPECT_EQ(test::alphaOf(px(25, 25)), 0) << "visible " << hidden;
        parent.visible(1);
        pumpFor(20);
        EXPECT_EQ(px(12, 12) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(px(25, 25) & 0xFFFFFF, 0x0000FFu);
        parent.destroy();
    }
}

TEST_F(CompositorTest, ChildrenAreClippedToTheirParent) {
    SolidControl parent, child;
    parent.make(window, RectF(10, 10, 40, 40), kRed);
    child.make(parent.handle(), RectF(30, 30, 60, 60), kBlue);
    pumpFor(20);
    EXPECT_EQ(px(45, 45) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(test::alphaOf(px(60, 60)), 0);
}

TEST_F(CompositorTest, DisabledControlsAreDrawnAtHalfOpacityUnlessTheyDrawTheirOwnLook) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed);
    pumpFor(20);
    const int fullAlpha = test::alphaOf(px(20, 20));
    c.disabled(1);
    pumpFor(20);
    const int halfAlpha = test::alphaOf(px(20, 20));
    EXPECT_NEAR(halfAlpha, 127, 2) << std::hex << px(20, 20);
    c.ownDisabledLook = 0;
    c.invalidate();
    pumpFor(20);
    EXPECT_EQ(test::alphaOf(px(20, 20)), fullAlpha);
    // Its transition frames are not shown either: the canvas is drawn as it is.
    c.ownDisabledLook = -1;
    c.transitionInterval(kSlowInterval);
    c.paintColor(kBlue, 4);
    tick(c);
    EXPECT_EQ(redOf(px(20, 20)), 0);
    EXPECT_NEAR(test::alphaOf(px(20, 20)), 127, 2);
    EXPECT_NEAR(blueOf(px(20, 20)), 127, 2);
}

TEST_F(CompositorTest, ControlsOnlyTouchingTheAreaAreNotRedrawn) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed);
    c.disabled(1);  // a disabled control is asked about its look whenever it is drawn
    pumpFor(20);
    struct Case {
        RectF area;
        bool drawn;
    } cases[] = {
        {RectF(50, 10, 20, 20), false}, {RectF(0, 50, 20, 20), false}, {RectF(0, 0, 10, 60), false},
        {RectF(0, 0, 60, 10), false},   {RectF(49, 49, 20, 20), true}, {RectF(0, 0, 11, 11), true},
    };
    for (const Case& k : cases) {
        c.codes.clear();
        compositeArea(window, k.area, host.get(), host->composeGraphics(), 0);
        bool asked = std::count(c.codes.begin(), c.codes.end(), QueryOwnDisabledLook) > 0;
        EXPECT_EQ(asked, k.drawn) << k.area.X << "," << k.area.Y;
    }
}

TEST_F(CompositorTest, ASmallAreaOverALargeControlGetsExactlyItsPartOfTheCanvas) {
    SolidControl panel;
    panel.make(window, RectF(10, 10, 100, 80), kRed);
    // Every pixel different, so a part drawn from the wrong place of the canvas shows.
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            test::setPixel(panel.canvas(), x, y, 0xFF000000u | (x * 2) << 16 | (y * 3) << 8 | 0x40);
    struct Case {
        int opacity;
        RectF area;
    } cases[] = {
        {255, RectF(37, 23, 13, 9)},
        {255, RectF(37.5f, 23.25f, 13, 9)},  // widened to whole pixels
        {128, RectF(5, 60, 40, 50)},         // reaching past the control's edges
    };
    for (const Case& k : cases) {
        panel.opacity(k.opacity, false);
        compositeArea(window, RectF(0, 0, 300, 200), host.get(), host->composeGraphics(), 0);
        std::vector<std::uint32_t> whole;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) whole.push_back(px(x, y));
        // Scribble over the frame, then redraw only the area.
        BrushHandle scribble(CreateSolidBrush(RGB(0, 0, 255)));
        RECT all{0, 0, 120, 120};
        FillRect(host->composeDC(), &all, scribble.get());
        compositeArea(window, k.area, host.get(), host->composeGraphics(), 0);
        // Pixels the area covers only in part may go either way.
        auto within = [](int x, int y, float left, float top, float right, float bottom) {
            return x >= left && x < right && y >= top && y < bottom;
        };
        const float l = k.area.X, t = k.area.Y, r = l + k.area.Width, b = t + k.area.Height;
        int wrong = 0, outsideRedrawn = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) {
                if (within(x, y, std::ceil(l), std::ceil(t), std::floor(r), std::floor(b)) &&
                    px(x, y) != whole[y * 120 + x])
                    ++wrong;
                if (!within(x, y, std::floor(l), std::floor(t), std::ceil(r), std::ceil(b)) &&
                    (px(x, y) & 0xFFFFFF) != 0x0000FFu)
                    ++outsideRedrawn;
            }
        EXPECT_EQ(wrong, 0) << "opacity " << k.opacity << " at " << k.area.X;
        EXPECT_EQ(outsideRedrawn, 0) << "opacity " << k.opacity << " at " << k.area.X;
    }
}

TEST_F(CompositorTest, ControlsHiddenByAnOpaqueControlAboveAreSkipped) {
    struct Case {
        const char* what;
        ArgbColor topColour;
        RectF area;
        int topOpacity, topDisabled;
        bool beneathDrawn;
    } cases[] = {
        {"opaque, area inside", kRed, RectF(30, 30, 20, 20), 255, 0, false},
        {"translucent", 0x80FF0000, RectF(30, 30, 20, 20), 255, 0, true},
        {"area reaching past it", kRed, RectF(30, 30, 60, 20), 255, 0, true},
        {"drawn at opacity 200", kRed, RectF(30, 30, 20, 20), 200, 0, true},
        {"disabled, so drawn at half opacity", kRed, RectF(30, 30, 20, 20), 255, 1, true},
    };
    for (const Case& k : cases) {
        SolidControl beneath, top;
        beneath.make(window, RectF(0, 0, 120, 120), kGreen);
        beneath.disabled(1);  // asked about its look whenever it is drawn
        top.make(window, RectF(20, 20, 50, 50), k.topColour);
        top.opacity(k.topOpacity);
        top.disabled(k.topDisabled);
        pumpFor(10);
        compositeArea(window, RectF(0, 0, 300, 200), host.get(), host->composeGraphics(), 0);
        std::vector<std::uint32_t> whole;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) whole.push_back(px(x, y));
        beneath.codes.clear();
        compositeArea(window, k.area, host.get(), host->composeGraphics(), 0);
        const bool asked =
            std::count(beneath.codes.begin(), beneath.codes.end(), QueryOwnDisabledLook) > 0;
        EXPECT_EQ(asked, k.beneathDrawn) << k.what;
        int differing = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) differing += px(x, y) != whole[y * 100 + x];
        EXPECT_EQ(differing, 0) << k.what;
        top.destroy();
        beneath.destroy();
    }
}

TEST_F(CompositorTest, HeldRedrawsAreComposedOnceWhenTheLastHoldEnds) {
    SolidControl a, b;
    const long long callsBefore = compositeStats.calls;
    {
        RedrawBatch outer(*host);
        {
            RedrawBatch inner(*host);
            a.make(window, RectF(10, 10, 30, 30), kRed);
            b.make(window, RectF(100, 50, 20, 20), kGreen);
            for (ArgbColor colour : {kGreen, kRed, kBlue}) a.paintColor(colour);
        }
        pumpFor(20);
        // Nothing painted again or composed yet, not even after the inner hold ended.
        EXPECT_EQ(a.paints, 1);
        EXPECT_EQ(compositeStats.calls, callsBefore);
        EXPECT_EQ(test::alphaOf(px(20, 20)), 0);
        EXPECT_EQ(test::alphaOf(px(110, 60)), 0);
    }
    // One paint for the three repaints, with the last colour, and one composition.
    EXPECT_EQ(a.paints, 2);
    EXPECT_EQ(b.paints, 1);
    EXPECT_EQ(compositeStats.calls, callsBefore + 1);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(px(110, 60) & 0xFFFFFF, 0x00FF00u);
    // Afterwards redraws compose at once again.
    b.paintColor(kRed);
    EXPECT_EQ(px(110, 60) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(CompositorTest, CrossFadeBlendsAtAQuarterHalfAndThreeQuarters) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed, 1, kSlowInterval);
    pumpFor(20);
    c.paintColor(kBlue, 4);
    EXPECT_EQ(c.transitionStep(), 0);
    ASSERT_NE(c.snapshot(), nullptr);
    const int expected[] = {63, 127, 191};
    for (int k = 0; k < 3; ++k) {
        tick(c);
        std::uint32_t p = px(20, 20);
        EXPECT_NEAR(blueOf(p), expected[k], 1) << "frame " << k + 1 << std::hex << " " << p;
        EXPECT_NEAR(redOf(p), 255 - expected[k], 1) << "frame " << k + 1;
    }
    tick(c);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(c.snapshot(), nullptr);
    EXPECT_EQ(c.transitionStep(), 0);
    EXPECT_EQ(c.transitionSteps(), 0);  // set up for one repaint only
    EXPECT_EQ(std::count(c.codes.begin(), c.codes.end(), TransitionStarted), 1);
    EXPECT_EQ(std::count(c.codes.begin(), c.codes.end(), TransitionFinished), 1);
}

TEST_F(CompositorTest, SlidesMoveTheOldLookOutAndTheNewOneIn) {
    // After the first of 4 frames of a 40 x 40 control at (20, 20) both looks moved by 10.
    struct Case {
        int kind;
        POINT newAt, oldAt;
    } cases[] = {
        {SlideDown, {30, 25}, {30, 35}},
        {SlideUp, {30, 55}, {30, 45}},
        {SlideRight, {25, 30}, {35, 30}},
        {SlideLeft, {55, 30}, {45, 30}},
    };
    for (const Case& k : cases) {
        SolidControl c;
        c.make(window, RectF(20, 20, 40, 40), kRed, 1, kSlowInterval, 0, k.kind);
        pumpFor(10);
        c.paintColor(kBlue, 4);
        tick(c);
        EXPECT_EQ(px(k.newAt.x, k.newAt.y) & 0xFFFFFF, 0x0000FFu) << "kind " << k.kind;
        EXPECT_EQ(px(k.oldAt.x, k.oldAt.y) & 0xFFFFFF, 0xFF0000u) << "kind " << k.kind;
        EXPECT_EQ(test::alphaOf(px(15, 15)), 0) << "kind " << k.kind;  // clipped to bounds
        for (int i = 0; i < 3; ++i) tick(c);
        EXPECT_EQ(px(k.oldAt.x, k.oldAt.y) & 0xFFFFFF, 0x0000FFu) << "kind " << k.kind;
        c.destroy();
    }
}

TEST_F(CompositorTest, UnknownTransitionKindsShowNothingUntilTheLastFrame) {
    SolidControl c;
    c.make(window, RectF(20, 20, 40, 40), kRed, 1, kSlowInterval, 0, 5);
    pumpFor(10);
    c.paintColor(kBlue, 2);
    tick(c);
    EXPECT_EQ(test::alphaOf(px(30, 30)), 0);
    tick(c);
    EXPECT_EQ(px(30, 30) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(CompositorTest, ARepaintDuringATransitionStartsFromTheFinishedLook) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed, 1, kSlowInterval);
    pumpFor(10);
    c.paintColor(kBlue, 4);
    tick(c);
    ASSERT_GT(redOf(px(20, 20)), 100);
    c.paintColor(kGreen, 4);
    EXPECT_EQ(c.transitionStep(), 0);
    tick(c);
    std::uint32_t p = px(20, 20);
    EXPECT_EQ(redOf(p), 0) << std::hex << p;
    EXPECT_NEAR(greenOf(p), 63, 1);
    EXPECT_NEAR(blueOf(p), 191, 1);
}

TEST_F(CompositorTest, PaintPassesWithoutClearOrRefreshLeaveTheScreen) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed);
    pumpFor(10);
    c.suspendRefresh();
    c.paintColor(kBlue);
    pumpFor(10);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0xFF0000u);
    c.resumeRefresh();
    pumpFor(10);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0xFF0000u);  // resuming does not redraw by itself
    c.invalidate();
    pumpFor(10);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0x0000FFu);

    PaintContext context;
    SolidControl never;
    EXPECT_EQ(beginPaint(never, context, std::nullopt, 1), 0);
}

TEST_F(CompositorTest, TheTransitionTimerDrivesTheFramesByItself) {
    SolidControl c;
    c.make(window, RectF(10, 10, 40, 40), kRed, 1, 10);
    pumpFor(10);
    c.paintColor(kBlue, 4);
    EXPECT_TRUE(test::pumpUntil([&] { return c.transitionSteps() == 0; }));
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0x0000FFu);
}

}  // namespace
}  // namespace dui
