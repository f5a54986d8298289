#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiCaptionButton.h"
#include "ui/DuiLabel.h"

namespace dui {
namespace {

using test::pixelAt;
using test::pumpFor;
using test::pumpUntil;
using test::redOf;
using test::sizeOf;
using test::ToolkitTest;

// Pixels of canvas that differ from the sprite cell (both nearly transparent counts as equal).
// The strip is 20 high, so a cell's last row lies outside it and is not compared.
int mismatches(Gdiplus::GpImage* canvas, SpriteCell cell) {
    Gdiplus::GpImage* sprite = toolkit().captionSprite.get();
    const int rows = std::min(kSpriteCellHeight, sizeOf(sprite).height - kSpriteCellTop);
    GpImagePtr expected =
        cropImage(sprite, RectF(static_cast<float>(cell.x), kSpriteCellTop,
                                static_cast<float>(cell.width), static_cast<float>(rows)));
    test::ImageSize size = sizeOf(canvas);
    if (!expected || size.width != cell.width || size.height != kSpriteCellHeight) return -1;
    int count = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < size.width; ++x) {
            ArgbColor a = pixelAt(canvas, x, y), e = pixelAt(expected.get(), x, y);
            if (test::alphaOf(a) < 8 && test::alphaOf(e) < 8) continue;
            if (!test::colourNear(a, e, 8)) ++count;
        }
    }
    return count;
}

// The canvas shows exactly the cell of (kind, state, maximized) and not the other states' cells.
::testing::AssertionResult showsCell(DuiCaptionButton& button, int state, bool maximized) {
    int kind = button.buttonKind();
    int own = mismatches(button.canvas(), captionSpriteCell(kind, state, maximized));
    if (own != 0) return ::testing::AssertionFailure() << own << " pixels differ from the cell";
    for (auto [otherState, otherMax] : {std::pair{0, false}, {1, false}, {2, false}, {0, true}}) {
        SpriteCell other = captionSpriteCell(kind, otherState, otherMax);
        if (other.x == captionSpriteCell(kind, state, maximized).x) continue;
        if (mismatches(button.canvas(), other) < 10)
            return ::testing::AssertionFailure() << "also looks like the cell at " << other.x;
    }
    return ::testing::AssertionSuccess();
}

// A layered frameless window with close, maximize, minimize and one draw-only button; every
// message reaching the host is recorded, and WM_CLOSE is swallowed so the window stays.
class CaptionButtonTest : public ToolkitTest {
protected:
    static constexpr int kWidth = 300;
    HWND window = nullptr;
    std::unique_ptr<DuiHost> host;
    std::vector<std::pair<UINT, WPARAM>> seen;

    void SetUp() override {
        window = createToolkitWindow(nullptr, "caption", 40, 40, kWidth, 200, nullptr,
                                     WS_POPUP | WS_MAXIMIZEBOX | WS_MINIMIZEBOX, 0);
        ASSERT_NE(window, nullptr);
        host = std::make_unique<DuiHost>();
        AttachOptions options;
        options.captionFlags = CaptionClose | CaptionMaximize | CaptionMinimize | CaptionExtra32;
        options.frameStyle = 1;
        options.windowAlpha = 255;
        ASSERT_TRUE(host->attach(window, options));
        host->setMessageHook([this](HWND, UINT message, WPARAM wParam, LPARAM) {
            if (message == WM_CLOSE || message == WM_SYSCOMMAND) seen.emplace_back(message, wParam);
            return message == WM_CLOSE ? 0 : -1;
        });
        pumpFor(20);
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        host.reset();
        pumpFor(1);
    }
    DuiCaptionButton& button(int index) {
        return *static_cast<DuiCaptionButton*>(host->captionButtons.at(index).get());
    }
    int sent(UINT message, WPARAM wParam = 0) const {
        int n = 0;
        for (auto& [m, w] : seen)
            if (m == message && (message == WM_CLOSE || (w & 0xFFF0) == wParam)) ++n;
        return n;
    }
    void tick(DuiControl& c) { c.transitionTick(window, WM_TIMER, c.handle() + 1, 0); }
    std::uint32_t px(int x, int y) const { return host->compose.pixel(x, y); }
};

TEST_F(CaptionButtonTest, TheHostCreatesItsButtonsFromTheCaptionFlagsAndLaysThemOut) {
    ASSERT_EQ(host->captionButtons.size(), 4u);
    const int kinds[] = {4, 8, 16, 32};
    const int lefts[] = {kWidth - 45, kWidth - 73, kWidth - 101, kWidth - 129};
    for (int i = 0; i < 4; ++i) {
        DuiCaptionButton& b = button(i);
        EXPECT_EQ(b.buttonKind(), kinds[i]);
        EXPECT_EQ(b.kind(), CaptionButton);
        EXPECT_EQ(b.left(), lefts[i]);
        EXPECT_EQ(b.top(), 7);
        EXPECT_EQ(b.width(), i == 0 ? 39 : 28);
        EXPECT_EQ(b.height(), 19);
        EXPECT_EQ(b.focusable(), 0);
        EXPECT_EQ(b.transitionInterval(), 60);
        EXPECT_TRUE(showsCell(b, 0, false));
        // Not focusable, yet pressable: the host captures the mouse for it.
        EXPECT_EQ(dispatchMessage(b.handle(), QueryPressable, 0, 0), 0);
    }
    // The close button's normal cell reached the window's frame.
    EXPECT_EQ(px(kWidth - 45 + 3, 7 + 3), 0u);
}

TEST_F(CaptionButtonTest, SpriteCellsByKindAndState) {
    struct Case {
        int kind, state;
        bool maximized;
        int x, width;
    } cases[] = {
        {4, 0, false, 0, 39},    {4, 1, false, 40, 39},    {4, 2, false, 80, 39},
        {4, 3, false, 0, 39},    {4, -1, false, 0, 39},    {4, 4, false, 0, 0},
        {8, 1, false, 149, 28},  {8, 0, true, 207, 28},    {8, 2, true, 265, 28},
        {16, 2, false, 352, 28}, {16, 0, true, 294, 28},   {32, 1, false, 410, 28},
        {64, 0, false, 468, 28}, {128, 2, false, 613, 28}, {256, 1, false, 671, 28},
        {512, 0, false, 0, 0},   {2, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SpriteCell cell = captionSpriteCell(c.kind, c.state, c.maximized);
        EXPECT_EQ(cell.width, c.width) << c.kind << "/" << c.state;
        if (c.width) {
            EXPECT_EQ(cell.x, c.x) << c.kind << "/" << c.state;
        }
    }
}

TEST_F(CaptionButtonTest, HoverFadesInOverThreeFramesAndLeavingFadesOutOverFour) {
    DuiCaptionButton& close = button(0);
    const int x = close.left() + 3, y = close.top() + 3;  // background of the cell, no glyph
    ASSERT_EQ(px(x, y), 0u);

    dispatchMessage(close.handle(), MouseEnter, 0, 0);
    EXPECT_EQ(close.lastState(), 1);
    EXPECT_EQ(close.transitionSteps(), 3);
    EXPECT_TRUE(showsCell(close, 1, false));
    std::vector<int> reds;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(close.transitionSteps(), 3) << "finished early, after " << k << " frames";
        tick(close);
        reds.push_back(redOf(px(x, y)));
    }
    EXPECT_EQ(close.transitionSteps(), 0);
    int full = reds[2];
    EXPECT_GT(full, 150);  // the red hover background
    EXPECT_NEAR(reds[0], full / 3, 4);
    EXPECT_NEAR(reds[1], full * 2 / 3, 4);

    // Entering again in the same state changes nothing.
    dispatchMessage(close.handle(), MouseEnter, 0, 0);
    EXPECT_EQ(close.transitionSteps(), 0);

    dispatchMessage(close.handle(), MouseLeave, 0, 0);
    EXPECT_EQ(close.lastState(), 0);
    EXPECT_TRUE(showsCell(close, 0, false));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(close.transitionSteps(), 4) << "finished early, after " << k - 1 << " frames";
        tick(close);
        EXPECT_NEAR(redOf(px(x, y)), full * (4 - k) / 4, 4) << "frame " << k;
    }
    EXPECT_EQ(close.transitionSteps(), 0);
    EXPECT_EQ(px(x, y), 0u);
}

TEST_F(CaptionButtonTest, PressAndReleaseSwitchAtOnceAndAPaintShowsTheNormalCell) {
    DuiCaptionButton& minimize = button(2);
    dispatchMessage(minimize.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(minimize.lastState(), 2);
    EXPECT_EQ(minimize.transitionSteps(), 0);
    EXPECT_TRUE(showsCell(minimize, 2, false));
    dispatchMessage(minimize.handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(minimize.lastState(), 1);
    EXPECT_EQ(minimize.transitionSteps(), 0);
    EXPECT_TRUE(showsCell(minimize, 1, false));
    minimize.repaint();
    EXPECT_EQ(minimize.lastState(), 0);
    EXPECT_TRUE(showsCell(minimize, 0, false));
}

TEST_F(CaptionButtonTest, MaximizeTogglesTheWindowAndShowsTheRestoreCellsWhileMaximized) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pumpFor(20);
    DuiCaptionButton& maximize = button(1);
    dispatchMessage(maximize.handle(), Click, 0, 0);
    EXPECT_EQ(sent(WM_SYSCOMMAND, SC_MAXIMIZE), 0) << "posted, not sent";
    ASSERT_TRUE(pumpUntil([&] { return IsZoomed(window) != FALSE; }));
    pumpFor(20);
    EXPECT_EQ(sent(WM_SYSCOMMAND, SC_MAXIMIZE), 1);
    // The glyph follows the window from the next Paint (or Moved, below) on.
    maximize.repaint();
    EXPECT_TRUE(showsCell(maximize, 0, true));
    dispatchMessage(maximize.handle(), MouseEnter, 0, 0);
    EXPECT_TRUE(showsCell(maximize, 1, true));
    dispatchMessage(maximize.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(showsCell(maximize, 2, true));

    dispatchMessage(maximize.handle(), Click, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return IsZoomed(window) == FALSE; }));
    pumpFor(20);
    EXPECT_EQ(sent(WM_SYSCOMMAND, SC_RESTORE), 1);
    // The host tells a button it was moved when it lays the caption out after a size change.
    dispatchMessage(maximize.handle(), Moved, 0, 0);
    EXPECT_EQ(maximize.lastState(), 0);
    EXPECT_TRUE(showsCell(maximize, 0, false));

    // Other kinds keep their look when moved.
    DuiCaptionButton& minimize = button(2);
    dispatchMessage(minimize.handle(), WM_LBUTTONDOWN, 0, 0);
    dispatchMessage(minimize.handle(), Moved, 0, 0);
    EXPECT_TRUE(showsCell(minimize, 2, false));
}

TEST_F(CaptionButtonTest, MinimizeActsOnlyOnAWindowThatIsNotMinimized) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pumpFor(20);
    DuiCaptionButton& minimize = button(2);
    dispatchMessage(minimize.handle(), Click, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return IsIconic(window) != FALSE; }));
    EXPECT_EQ(sent(WM_SYSCOMMAND, SC_MINIMIZE), 1);

    dispatchMessage(minimize.handle(), Click, 0, 0);
    pumpFor(50);
    EXPECT_EQ(sent(WM_SYSCOMMAND, SC_MINIMIZE), 1) << "a minimized window is left alone";
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(CaptionButtonTest, ClosePostsWmCloseUnlessDisabledAndFurtherKindsDoNothing) {
    DuiCaptionButton& close = button(0);
    dispatchMessage(close.handle(), Click, 0, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << "posted";
    pumpFor(20);
    EXPECT_EQ(sent(WM_CLOSE), 1);

    close.disabled(1);
    dispatchMessage(close.handle(), Click, 0, 0);
    DuiCaptionButton& extra = button(3);
    dispatchMessage(extra.handle(), Click, 0, 0);
    pumpFor(20);
    EXPECT_EQ(sent(WM_CLOSE), 1);
    EXPECT_TRUE(seen.size() == 1u);
    // The draw-only kind still reacts to the mouse.
    dispatchMessage(extra.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(showsCell(extra, 2, false));
}

TEST_F(CaptionButtonTest, RepaintsAndRecreatedCaptionsLeakNothing) {
    long before = liveGdiPlusObjects();
    for (int i = 0; i < 1000; ++i) {
        DuiCaptionButton& b = button(i % 4);
        dispatchMessage(b.handle(), i % 2 ? MouseLeave : MouseEnter, 0, 0);
        b.repaint();
    }
    EXPECT_EQ(liveGdiPlusObjects(), before);
    for (int i = 0; i < 200; ++i) {
        DuiCaptionButton extra;
        ASSERT_NE(extra.create(window, 10, 40, 28, 19, 64), 0u);
        extra.repaint();
        extra.destroy();
        EXPECT_EQ(extra.buttonKind(), 0);
    }
    pumpFor(20);
    EXPECT_EQ(liveGdiPlusObjects(), before);
}

// The standard caption title: the window's text, laid out after the icon, following WM_SETTEXT.
TEST(CaptionTitle, ShowsAndFollowsTheWindowText) {
    initToolkit();
    HWND window = createToolkitWindow(nullptr, "询问", 40, 40, 300, 120, nullptr, WS_POPUP, 0);
    ASSERT_NE(window, nullptr);
    {
        DuiHost host;
        AttachOptions options;
        options.captionFlags = CaptionIcon | CaptionTitle | CaptionClose;
        options.frameStyle = 1;
        ASSERT_TRUE(host.attach(window, options));
        auto* title = dynamic_cast<DuiLabel*>(host.titleLabel.get());
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "询问");
        EXPECT_EQ(title->left(), 28);
        EXPECT_EQ(title->top(), 10);
        SetWindowTextW(window, L"提示：");
        EXPECT_EQ(title->text(), "提示：");
        DestroyWindow(window);
    }
}

}  // namespace
}  // namespace dui
