#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "tests/ui/TextTestSupport.h"
#include "ui/DuiLabel.h"

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::Box;
using test::boxOf;
using test::HostTest;
using test::pixelAt;
using test::pumpUntil;
using test::redOf;

// A label that counts its paints and keeps the last text rectangle it drew into.
class ProbeLabel : public DuiLabel {
public:
    int paints = 0;
    int finished = 0;
    RectF lastTextRect{-1, -1, -1, -1};
    int messageHook(ControlHandle, UINT code, WPARAM, LPARAM) override {
        if (code == WM_PAINT) ++paints;
        if (code == TransitionFinished) ++finished;
        return -1;
    }
    void onTextRect(RectF& rect) override { lastTextRect = rect; }
};

using LabelTest = HostTest;

bool isInk(ArgbColor c) {
    return alphaOf(c) > 100;
}

LabelStyle sized(float size) {
    LabelStyle style;
    style.textColor = 0xFF000000;
    style.fontSize = size;
    return style;
}

TEST_F(LabelTest, SameTextChangesNothingUnlessATransitionIsAsked) {
    ProbeLabel label;
    ControlHandle handle = label.create(window, 10, 10, 200, 40, "Hello", sized(12));
    ASSERT_NE(handle, 0u);
    const int width = label.textWidth();
    ASSERT_GT(width, 0);
    int paints = label.paints;
    // A repeated create sets the label's fields only: no measuring, no repaint.
    EXPECT_EQ(label.create(window, 50, 50, 10, 10, "Hello", sized(24)), handle);
    EXPECT_EQ(label.currentBounds().X, 10.0f);
    EXPECT_EQ(label.textWidth(), width);
    EXPECT_EQ(label.paints, paints);
    EXPECT_EQ(label.fontSize(), 24.0f);

    EXPECT_EQ(label.text(std::string("Hello")), "Hello");
    EXPECT_EQ(label.textWidth(), width);
    EXPECT_EQ(label.paints, paints);

    std::vector<int> frames;
    label.bindEvent(TransitionFrame,
                    [&](const EventArgs&) { frames.push_back(label.transitionStep()); });
    DWORD start = GetTickCount();
    label.text(std::string("Hello"), CrossFade);
    EXPECT_EQ(label.paints, paints + 1);
    EXPECT_GT(label.textWidth(), width);  // measured again, with the larger font
    EXPECT_EQ(label.transitionSteps(), 5);
    EXPECT_EQ(label.transitionInterval(), 60);
    EXPECT_EQ(label.pendingTransition(), 1);
    ASSERT_TRUE(pumpUntil([&] { return label.finished == 1; }));
    EXPECT_GE(GetTickCount() - start, 250u);  // 5 steps of 60 ms
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(label.pendingTransition(), 0);
    EXPECT_EQ(label.transitionSteps(), 0);
    EXPECT_EQ(label.transitionInterval(), 0);

    label.text(std::string("Next"), SlideDown, 3, 30);
    EXPECT_EQ(label.transitionKind(), SlideDown);
    EXPECT_EQ(label.transitionSteps(), 3);
    EXPECT_EQ(label.transitionInterval(), 30);
    ASSERT_TRUE(pumpUntil([&] { return label.finished == 2; }));
}

TEST_F(LabelTest, WithoutTextAndGradientOnlyTheBorderIsDrawn) {
    constexpr ArgbColor kBorder = 0xFFFF0000;
    struct Case {
        int gradientMode;
        ArgbColor from, to;
        bool filled;
    } cases[] = {
        {-1, 0xFF0000FF, 0xFF0000FF, false},
        {0, 0, 0, false},  // what a create without gradient arguments gives: invisible
        {1, 0xFF0000FF, 0xFF0000FF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gradientMode);
        LabelStyle style;
        style.border = kBorder;
        style.gradientMode = c.gradientMode;
        style.gradientColor1 = c.from;
        style.gradientColor2 = c.to;
        DuiLabel label;
        label.create(window, 10, 10, 60, 30, "", style);
        Gdiplus::GpImage* canvas = label.canvas();
        EXPECT_EQ(pixelAt(canvas, 59, 15), kBorder);  // the fill stops one pixel short
        EXPECT_EQ(pixelAt(canvas, 30, 29), kBorder);
        int interior = test::countPixels(canvas, 1, 1, 58, 28, [](ArgbColor p) { return p != 0; });
        if (c.filled) {
            EXPECT_EQ(interior, 58 * 28);
            EXPECT_EQ(pixelAt(canvas, 30, 0), 0xFF0000FFu);  // the fill covers the top line
        } else {
            EXPECT_EQ(interior, 0);
            EXPECT_EQ(pixelAt(canvas, 30, 0), kBorder);
        }
    }
}

TEST_F(LabelTest, VerticalAlignmentKeepsFourPixelsFromTopOrBottom) {
    ProbeLabel label;
    label.create(window, 10, 10, 200, 60, "Hg", sized(20));
    const int th = label.textHeight();
    ASSERT_GT(th, 10);
    ASSERT_LT(th, 52);
    EXPECT_EQ(label.verticalAlignment(), 1);
    EXPECT_EQ(label.lastTextRect.Y, static_cast<float>(static_cast<int>(2 + (56 - th) / 2.0f)));

    label.verticalAlignment(0);
    EXPECT_EQ(label.lastTextRect.Y, 4.0f);
    EXPECT_EQ(label.lastTextRect.Height, static_cast<float>(th));
    Box top = boxOf(label.canvas(), isInk);

    label.verticalAlignment(2);
    EXPECT_EQ(label.lastTextRect.Y + label.lastTextRect.Height, 56.0f);
    Box bottom = boxOf(label.canvas(), isInk);
    ASSERT_NE(top.top, -1);
    // The same glyphs, moved down by exactly the difference of the two places.
    EXPECT_EQ(bottom, (Box{top.left, top.top + 52 - th, top.right, top.bottom + 52 - th}));
}

TEST_F(LabelTest, MultiLineTextWrapsWithinTheWidth) {
    const std::string text = "one two three four five six seven";
    LabelStyle single = sized(14);
    LabelStyle multi = sized(14);
    multi.multiLine = 1;
    DuiLabel oneLine, wrapped;
    oneLine.create(window, 0, 0, 90, 90, text, single);
    wrapped.create(window, 100, 0, 90, 90, text, multi);
    const int lineHeight = oneLine.textHeight();
    ASSERT_GT(lineHeight, 0);
    Box one = boxOf(oneLine.canvas(), isInk), many = boxOf(wrapped.canvas(), isInk);
    EXPECT_LE(one.bottom - one.top, lineHeight);
    EXPECT_GT(many.bottom - many.top, 2 * lineHeight);  // at least three lines
    EXPECT_LT(many.top, 2 + lineHeight / 2);            // from the top of the text area
    EXPECT_LE(many.right, 87);                          // inside the 2-pixel inset

    // Switching to one line rewrites the format: the text stops wrapping.
    wrapped.multiLine(0);
    wrapped.verticalAlignment(1);
    EXPECT_LE(boxOf(wrapped.canvas(), isInk).bottom - boxOf(wrapped.canvas(), isInk).top,
              lineHeight);
    EXPECT_EQ(wrapped.formatFlags() & Gdiplus::StringFormatFlagsNoWrap,
              Gdiplus::StringFormatFlagsNoWrap);
}

TEST_F(LabelTest, RecreationReleasesTheReplacedFontAndFormat) {
    DuiLabel kept;
    kept.create(window, 0, 0, 120, 30, "Kept", sized(13));
    kept.create(window, 0, 0, 120, 30, "Kept", sized(14));  // first replacement
    long live = liveGdiPlusObjects();
    Gdiplus::GpFont* shared = toolkit().defaultFont.get();
    for (int i = 0; i < 1000; ++i) {
        LabelStyle style = sized(static_cast<float>(12 + i % 5));
        style.multiLine = i % 2;
        kept.create(window, 0, 0, 120, 30, "Kept", style);
        kept.repaint();
    }
    EXPECT_EQ(liveGdiPlusObjects(), live);
    // Going back to the shared font releases the owned one and never the shared one.
    kept.create(window, 0, 0, 120, 30, "Kept");
    EXPECT_EQ(kept.font(), shared);
    EXPECT_EQ(liveGdiPlusObjects(), live - 1);
    kept.releaseFont();
    EXPECT_EQ(toolkit().defaultFont.get(), shared);
    kept.destroy();

    EXPECT_EQ(test::leakedOver(1000,
                               [&](int) {
                                   DuiLabel label;
                                   LabelStyle style = sized(15);
                                   style.border = FrameDashed;
                                   style.gradientMode = 1;
                                   style.gradientColor1 = 0xFF112233;
                                   label.create(window, 0, 40, 120, 30, "Cycle", style);
                                   label.text(std::string("Other"));
                                   label.fontName(std::string("Arial"));
                                   label.destroy();
                               }),
              0);
}

}  // namespace
}  // namespace dui
