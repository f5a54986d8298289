#include <gtest/gtest.h>

#include "resources/Embedded.h"
#include "tests/ui/HostTestSupport.h"

#include <psapi.h>

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::greenOf;
using test::kBlue;
using test::kGreen;
using test::kRed;
using test::pumpFor;
using test::redOf;
using test::SolidControl;
using test::ToolkitTest;

void fill(Gdiplus::GpGraphics* g, ArgbColor color, float x, float y, float w, float h) {
    GpBrushPtr brush = createSolidBrush(color);
    gp::GdipFillRectangle(g, brush.get(), x, y, w, h);
}

class HostRenderTest : public ToolkitTest {
protected:
    HWND window = nullptr;
    DuiHost host;
    int renders = 0;
    ArgbColor paintColor = 0;

    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
    }
    // A host whose paint handler counts full frames and, when paintColor is set, fills the
    // window with it.
    void attach(AttachOptions options, int width = 200, int height = 150, DWORD style = WS_POPUP) {
        window = createToolkitWindow(nullptr, "render", 30, 30, width, height, nullptr, style, 0);
        ASSERT_NE(window, nullptr);
        host.setPaintHandler([this](HWND, Gdiplus::GpGraphics* g, int w, int h) {
            ++renders;
            if (paintColor) fill(g, paintColor, 0, 0, static_cast<float>(w), static_cast<float>(h));
        });
        ASSERT_TRUE(host.attach(window, options));
    }
    std::uint32_t px(int x, int y) const { return host.compose.pixel(x, y); }
    static AttachOptions layered(int frameStyle) {
        AttachOptions options;
        options.captionFlags = 0;
        options.frameStyle = frameStyle;
        options.windowAlpha = 255;
        return options;
    }
};

TEST_F(HostRenderTest, AFramelessHostWithoutPictureStartsFullyTransparent) {
    attach(layered(1));
    host.setPaintHandler(
        [](HWND, Gdiplus::GpGraphics* g, int, int) { fill(g, 0xFF112233, 10, 10, 20, 20); });
    host.render({}, false, -1, false, 0, false);
    EXPECT_EQ(px(15, 15), 0xFF112233u);
    for (POINT p : {POINT{0, 0}, POINT{5, 5}, POINT{100, 100}, POINT{199, 149}})
        EXPECT_EQ(px(p.x, p.y), 0u) << p.x << "," << p.y;
    EXPECT_EQ(host.clipRegion.get(), nullptr);
}

TEST_F(HostRenderTest, ASquareFrameHasGreyAndWhiteLinesAndASmallShadow) {
    AttachOptions options = layered(0);
    options.backColor = RGB(0, 0, 0);
    attach(options);
    const int y = 75;
    std::uint32_t grey = px(6, y), white = px(7, y), inside = px(8, y);
    EXPECT_EQ(redOf(grey), greenOf(grey));
    EXPECT_NEAR(redOf(grey), 0x60 * 204 / 255, 6) << std::hex << grey;
    EXPECT_NEAR(redOf(white), 102, 6) << std::hex << white;
    EXPECT_EQ(inside & 0xFFFFFF, 0u);
    EXPECT_GE(alphaOf(inside), 254);
    // Square corners: the frame line runs into the corner pixel.
    EXPECT_NEAR(redOf(px(6, 6)), redOf(grey), 6);
    EXPECT_NEAR(redOf(px(193, 143)), redOf(grey), 6);
    // The shadow: one-pixel outlines growing fainter outwards, nothing beyond the fourth.
    int shadow[5];
    for (int i = 0; i < 5; ++i) shadow[i] = alphaOf(px(5 - i, y));
    EXPECT_NEAR(shadow[0], 45, 6);
    EXPECT_NEAR(shadow[1], 25, 6);
    EXPECT_NEAR(shadow[2], 10, 6);
    EXPECT_NEAR(shadow[3], 5, 4);
    EXPECT_EQ(shadow[4], 0);
    EXPECT_EQ(px(0, 0), 0u);
}

TEST_F(HostRenderTest, ARoundedFrameLeavesTheCornersOpen) {
    AttachOptions options = layered(7);
    options.backColor = RGB(0, 0, 0);
    attach(options);
    EXPECT_LT(alphaOf(px(6, 6)), alphaOf(px(6, 75)));
    EXPECT_NE(host.clipRegion.get(), nullptr);
}

TEST_F(HostRenderTest, AWindowThatIsNotLayeredGetsItsShapeAndPaintsFromTheFrame) {
    AttachOptions options;
    options.captionFlags = 0;
    options.backColor = RGB(0, 0, 255);
    attach(options, 200, 150, WS_POPUP | WS_VISIBLE);
    RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, region.get()), ERROR);
    RECT box{};
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.left, 6);
    EXPECT_EQ(box.top, 6);
    // The right and bottom of (6, 6)-(w - 5, h - 5) are exclusive.
    EXPECT_EQ(box.right, 200 - 6);
    EXPECT_EQ(box.bottom, 150 - 6);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_GE(blueOf(px(100, 75)), 250);  // opaque toolkit colours carry alpha 254
    // WM_PAINT copies the composed frame to the window.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    ScreenDc dc(window);
    COLORREF shown = GetPixel(dc.get(), 100, 75);
    EXPECT_GE(GetBValue(shown), 250);
    EXPECT_EQ(GetRValue(shown) + GetGValue(shown), 0);
}

TEST_F(HostRenderTest, ControlsAreClippedToTheInnerArea) {
    AttachOptions options = layered(0);
    options.backColor = RGB(0, 0, 0);
    attach(options);
    SolidControl c;
    c.make(window, RectF(0, 0, 200, 150), kRed);
    pumpFor(20);
    EXPECT_EQ(px(20, 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(px(6, 75) & 0xFFFFFF, 0xFF0000u);  // the frame stays
    EXPECT_NE(px(193, 75) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(HostRenderTest, ABackgroundPictureIsDecodedDrawnAndLentToSkinnedWindows) {
    AttachOptions options = layered(0);
    options.backgroundBytes = res::glow_button_png;
    attach(options);
    Gdiplus::GpImage* picture = host.backgroundImage.get();
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(test::sizeOf(picture).width, 55);
    EXPECT_EQ(host.themeColor, meanColor(picture));
    // At natural size from (5, 5) over the theme fill, away from the faded bottom and right.
    auto over = [](int source, int alpha, int fill) {
        return (source * alpha + fill * (255 - alpha)) / 255;
    };
    COLORREF theme = host.themeColor;
    for (int y = 3; y < 12; ++y) {
        for (int x = 3; x < 20; ++x) {
            ArgbColor source = test::pixelAt(picture, x, y);
            int a = alphaOf(source);
            ArgbColor expected = 0xFF000000u | over(redOf(source), a, GetRValue(theme)) << 16 |
                                 over(greenOf(source), a, GetGValue(theme)) << 8 |
                                 over(blueOf(source), a, GetBValue(theme));
            EXPECT_TRUE(test::colourNear(px(5 + x, 5 + y) | 0xFF000000u, expected, 4))
                << x << "," << y;
        }
    }

    // A second window borrows the picture and colour and never frees them.
    HWND skinned = createToolkitWindow(nullptr, "skinned", 0, 0, 120, 90, nullptr, WS_POPUP, 0);
    {
        DuiHost borrower;
        AttachOptions borrowed = layered(0);
        borrowed.skinSourceWindow = window;
        ASSERT_TRUE(borrower.attach(skinned, borrowed));
        EXPECT_EQ(borrower.currentBackgroundImage(), picture);
        EXPECT_EQ(borrower.backgroundImage.get(), nullptr);
        EXPECT_EQ(borrower.themeColor, host.themeColor);
        DestroyWindow(skinned);
    }
    EXPECT_EQ(host.backgroundImage.get(), picture);
    EXPECT_EQ(test::sizeOf(picture).height, 28);

    // A given colour wins over the picture's mean.
    host.render({}, false, RGB(1, 2, 3), true, 0, false);
    EXPECT_EQ(host.themeColor, RGB(1, 2, 3));
}

TEST_F(HostRenderTest, MeanColorOfAUniformPicture) {
    GpImagePtr picture = test::solidBitmap(2, 2, 0xFF0A141E);
    EXPECT_EQ(meanColor(picture.get()), 0x1E140Au);
    EXPECT_EQ(meanColor(nullptr), 0u);
}

TEST_F(HostRenderTest, AFadeInBlendsInFiveStepsAndKeepsTheHostBusy) {
    paintColor = kRed;
    attach(layered(1));
    ASSERT_EQ(px(50, 50), kRed);
    paintColor = kBlue;
    host.render({}, false, -1, false, 1, false);
    EXPECT_EQ(host.busy, 1);
    ASSERT_TRUE(host.fade);
    EXPECT_EQ(host.fade.pixel(50, 50), kRed);  // the old frame is where the fade starts
    EXPECT_EQ(px(50, 50), kBlue);
    KillTimer(window, host.self);  // the ticks are driven by hand below
    // A control moving meanwhile is told, but its redraw waits for the fade to end.
    EXPECT_EQ(SendMessageW(window, Moved, 0, 1), 1);

    const int expected[] = {51, 102, 153, 204, 255};
    for (int k = 0; k < 5; ++k) {
        host.fadeTimerProc(window, WM_TIMER, host.self, 0);
        EXPECT_EQ(host.fadeAlpha, expected[k]);
        EXPECT_EQ(host.busy, k < 4 ? 1 : 0) << "tick " << k + 1;
        if (k == 0) {
            EXPECT_NEAR(blueOf(host.fade.pixel(50, 50)), 51, 2);
            EXPECT_NEAR(redOf(host.fade.pixel(50, 50)), 204, 2);
        }
    }
    EXPECT_FALSE(host.fade);

    // The real timer runs the same five steps in about 250 ms.
    paintColor = kGreen;
    DWORD start = GetTickCount();
    host.render({}, false, -1, false, 1, false);
    EXPECT_TRUE(test::pumpUntil([&] { return host.busy == 0; }));
    EXPECT_GE(GetTickCount() - start, 200u);
    EXPECT_EQ(host.fadeAlpha, 255);
    EXPECT_EQ(px(50, 50), kGreen);
}

TEST_F(HostRenderTest, SizeChangesRenderOnlyWhenTheSizeReallyChanged) {
    attach(layered(7));
    std::pair<int, int> resized{0, 0};
    host.setResizeHandler([&](HWND, int w, int h) { resized = {w, h}; });
    int before = renders;
    SendMessageW(window, WM_SIZE, SIZE_MINIMIZED, 0);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 150));
    EXPECT_EQ(renders, before);
    SetWindowPos(window, nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(renders, before + 1);
    EXPECT_EQ(host.size.cx, 320);
    EXPECT_EQ(host.size.cy, 220);
    EXPECT_EQ(host.compose.width(), 320);
    EXPECT_EQ(host.background.height(), 220);
    EXPECT_EQ(resized, (std::pair<int, int>{320, 220}));
    EXPECT_GE(scratchSurface().width(), 320);
}

TEST_F(HostRenderTest, NothingLeaksOverAThousandRepaints) {
    paintColor = 0xFF202020;
    attach(layered(7), 300, 200);
    SolidControl a, b, child;
    a.make(window, RectF(20, 20, 60, 40), kRed, 1, 100000);
    b.make(window, RectF(100, 30, 80, 80), kBlue);
    child.make(b.handle(), RectF(110, 40, 20, 20), kGreen);
    auto cycle = [&](int i) {
        ArgbColor color = i % 2 ? kRed : kGreen;
        if (i % 10 == 0) {
            a.paintColor(color, 4);
            for (int k = 0; k < 4; ++k) a.transitionTick(window, WM_TIMER, a.handle() + 1, 0);
        } else {
            a.paintColor(color);
        }
        b.paintColor(color);
        child.setBounds(110 + i % 5, 40);
        if (i % 100 == 0) host.render({}, false, -1, false, 0, false);
    };
    for (int i = 0; i < 50; ++i) cycle(i);
    pumpFor(20);
    auto memory = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
        return counters.PagefileUsage;
    };
    const long gdiplus = liveGdiPlusObjects();
    const long dcs = MemoryDc::live(), bitmaps = BitmapHandle::live(),
               regions = RegionHandle::live();
    const SIZE_T bytes = memory();
    for (int i = 0; i < 1000; ++i) cycle(i);
    pumpFor(50);
    EXPECT_EQ(liveGdiPlusObjects(), gdiplus);
    EXPECT_EQ(MemoryDc::live(), dcs);
    EXPECT_EQ(BitmapHandle::live(), bitmaps);
    EXPECT_EQ(RegionHandle::live(), regions);
    EXPECT_LT(memory(), bytes + 2 * 1024 * 1024) << "grew by " << (memory() - bytes);

    // Whole windows: attach, controls, a fade-in, destruction.
    for (int i = 0; i < 30; ++i) {
        HWND w = createToolkitWindow(nullptr, "cycle", 0, 0, 150, 100, nullptr, WS_POPUP, 0);
        DuiHost cycled;
        AttachOptions options = layered(i % 3 == 0 ? 1 : 7);
        options.backgroundBytes = res::glow_button_png;
        ASSERT_TRUE(cycled.attach(w, options));
        SolidControl parent, inner;
        parent.make(w, RectF(10, 10, 60, 40), kRed);
        inner.make(parent.handle(), RectF(20, 20, 10, 10), kBlue);
        cycled.render({}, false, -1, false, 1, false);
        DestroyWindow(w);
    }
    EXPECT_EQ(liveGdiPlusObjects(), gdiplus);
    EXPECT_EQ(MemoryDc::live(), dcs);
    EXPECT_EQ(BitmapHandle::live(), bitmaps);
    EXPECT_EQ(RegionHandle::live(), regions);
}

}  // namespace
}  // namespace dui
