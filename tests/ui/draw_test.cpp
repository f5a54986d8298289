#include "ui/DuiDraw.h"

#include <gtest/gtest.h>

#include "tests/support/Pixels.h"
#include "ui/DuiToolkit.h"

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::colourNear;
using test::countPixels;
using test::greenOf;
using test::makeSurface;
using test::redOf;
using test::solidBitmap;
using test::Surface;

using DrawTest = test::ToolkitTest;

bool painted(ArgbColor c) {
    return alphaOf(c) > 0;
}

TEST(ColourTest, ArgbColorSwapsRedAndBlueAndCapsAlphaAt254) {
    EXPECT_EQ(argbColor(0x0000FF, 200), 0xC8FF0000u);
    EXPECT_EQ(argbColor(0xFFFFFF, 255), 0xFEFFFFFFu);
    EXPECT_EQ(argbColor(0x000000, 0), 0x00000000u);
    EXPECT_EQ(argbColor(0x123456), 0xFE563412u);
    EXPECT_EQ(argbColor(0x123456, 254), 0xFE563412u);
    EXPECT_EQ(argbColor(0x00FF00, 1), 0x0100FF00u);
}

TEST(ColourTest, SplitArgbGivesEachChannel) {
    const ArgbParts p = splitArgb(0xC8FF1002);
    EXPECT_EQ(p.alpha, 200);
    EXPECT_EQ(p.red, 255);
    EXPECT_EQ(p.green, 16);
    EXPECT_EQ(p.blue, 2);
}

TEST(ColourTest, IsDarkBelowLuminance192) {
    EXPECT_TRUE(isDark(argbColor(0x808080)));   // luminance 128
    EXPECT_FALSE(isDark(argbColor(0xC0C0C0)));  // exactly 192
    EXPECT_TRUE(isDark(argbColor(0xBFBFBF)));
    EXPECT_FALSE(isDark(0x00FFFFFF));           // alpha does not matter
    EXPECT_TRUE(isDark(0xFF0000FF));            // pure blue: 29
    EXPECT_FALSE(isDark(argbColor(0x00FFFF)));  // yellow: 225.9
}

TEST(ColourTest, OffsetRectAddsOnlyWhatIsGiven) {
    RectF r(1, 2, 3, 4);
    offsetRect(r, 10, 20);
    EXPECT_EQ(r.X, 11);
    EXPECT_EQ(r.Y, 22);
    EXPECT_EQ(r.Width, 3);
    EXPECT_EQ(r.Height, 4);
    offsetRect(r, 0, 0, -1, 5);
    EXPECT_EQ(r.Width, 2);
    EXPECT_EQ(r.Height, 9);
}

TEST_F(DrawTest, FrameStyles) {
    const ArgbColor grey = argbColor(0x646464), green = 0xFF00C000;
    struct Probe {
        int x, y;
        ArgbColor expected;  // 0: must stay transparent
    };
    struct Case {
        std::uint32_t style;
        std::vector<Probe> probes;
    } const cases[] = {
        {FrameNone, {{8, 2, 0}, {2, 8, 0}, {8, 17, 0}, {17, 8, 0}}},
        {FrameSunken,
         {{8, 2, argbColor(0, 160)},
          {2, 8, argbColor(0, 160)},
          {8, 17, argbColor(0xFFFFFF, 245)},
          {17, 8, argbColor(0xFFFFFF, 245)},
          {8, 8, 0}}},
        {FrameRaised,
         {{8, 2, argbColor(0xFFFFFF, 245)},
          {2, 8, argbColor(0xFFFFFF, 245)},
          {8, 17, argbColor(0, 168)},
          {17, 8, argbColor(0, 168)},
          {8, 8, 0}}},
        {FramePlain,
         {{8, 2, grey}, {2, 8, grey}, {8, 17, grey}, {17, 8, grey}, {8, 8, 0}, {18, 8, 0}}},
        {green, {{8, 2, green}, {2, 8, green}, {8, 17, green}, {17, 8, green}, {8, 8, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Surface s = makeSurface(20, 20);
        drawFrame(s.g(), RectF(2, 2, 16, 16), c.style);
        for (const Probe& p : c.probes) {
            SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y);
            EXPECT_TRUE(colourNear(s.at(p.x, p.y), p.expected, 3));
        }
        if (c.style == FrameNone) {
            EXPECT_EQ(countPixels(s.bitmap.get(), painted), 0);
        }
    }
}

TEST_F(DrawTest, DashedFrameLeavesGapsAndTakesAGivenColour) {
    Surface s = makeSurface(40, 20);
    drawFrame(s.g(), RectF(2, 2, 36, 16), FrameDashed);
    const int onTop = countPixels(s.bitmap.get(), 2, 2, 36, 1, painted);
    EXPECT_GT(onTop, 8);
    EXPECT_LT(onTop, 36);
    EXPECT_TRUE(colourNear(s.at(2, 2), argbColor(0, 120), 3));

    Surface plain = makeSurface(20, 20);
    drawFrame(plain.g(), RectF(2, 2, 16, 16), FramePlain, 0xFFFF0000);
    EXPECT_TRUE(colourNear(plain.at(8, 2), 0xFFFF0000));
}

TEST_F(DrawTest, RoundRectRightAndBottomEdgesOnePixelInside) {
    GpPathPtr path = roundRectPath(RectF(0, 0, 20, 20), 6);
    ASSERT_TRUE(path);
    RectF bounds;
    ASSERT_EQ(gp::GdipGetPathWorldBounds(path.get(), &bounds, nullptr, nullptr), Gdiplus::Ok);
    EXPECT_NEAR(bounds.X, 0, 0.01);
    EXPECT_NEAR(bounds.Y, 0, 0.01);
    EXPECT_NEAR(bounds.X + bounds.Width, 19, 0.01);
    EXPECT_NEAR(bounds.Y + bounds.Height, 19, 0.01);

    Surface s = makeSurface(24, 24);
    fillRoundRect(s.g(), RectF(0, 0, 20, 20), 6, 0xFF0000FF);
    EXPECT_TRUE(colourNear(s.at(10, 10), 0xFF0000FF));
    EXPECT_TRUE(colourNear(s.at(10, 17), 0xFF0000FF));
    EXPECT_EQ(s.at(0, 0), 0u);    // the corner is cut
    EXPECT_EQ(s.at(10, 19), 0u);  // below the edge at y 19
    EXPECT_EQ(s.at(19, 10), 0u);
    EXPECT_EQ(countPixels(s.bitmap.get(), 0, 19, 24, 5, painted), 0);

    Surface outline = makeSurface(24, 24);
    drawRoundRect(outline.g(), RectF(0, 0, 20, 20), 6, 0xFFFF0000, Gdiplus::DashStyleSolid);
    EXPECT_GT(countPixels(outline.bitmap.get(), 0, 19, 24, 1, painted), 0);
    EXPECT_EQ(countPixels(outline.bitmap.get(), 0, 20, 24, 4, painted), 0);
    EXPECT_EQ(outline.at(10, 10), 0u);
}

TEST_F(DrawTest, GradientRunsFromTopToBottom) {
    Surface s = makeSurface(10, 40);
    fillGradientRect(s.g(), RectF(0, 0, 10, 40), argbColor(0x0000FF), argbColor(0xFF0000));
    const ArgbColor top = s.at(4, 0), bottom = s.at(4, 38);
    EXPECT_GT(redOf(top), 230);
    EXPECT_LT(blueOf(top), 25);
    EXPECT_GT(blueOf(bottom), 220);
    EXPECT_LT(redOf(bottom), 35);
    EXPECT_EQ(s.at(4, 39), 0u);  // filled up to height - 1
    EXPECT_EQ(s.at(9, 20), 0u);
}

TEST_F(DrawTest, ImageWithOpacity) {
    GpImagePtr white = solidBitmap(10, 10, 0xFFFFFFFF);
    for (int alpha : {255, 128, 0}) {
        SCOPED_TRACE(alpha);
        Surface s = makeSurface(10, 10);
        drawImageWithOpacity(s.g(), white.get(), RectF(0, 0, 10, 10), alpha);
        EXPECT_NEAR(alphaOf(s.at(5, 5)), alpha, 2);
        EXPECT_NEAR(alphaOf(s.at(0, 0)), alpha, 2);
        if (alpha) {
            EXPECT_EQ(redOf(s.at(5, 5)), 255);
        }
    }
}

// A 30 x 30 picture with a red top-left pixel and a blue bottom-right one on green.
GpImagePtr markedImage() {
    GpImagePtr image = solidBitmap(30, 30, 0xFF00FF00);
    test::setPixel(image.get(), 0, 0, 0xFFFF0000);
    test::setPixel(image.get(), 29, 29, 0xFF0000FF);
    return image;
}

TEST_F(DrawTest, ImageNaturalCentresALargerImage) {
    GpImagePtr image = markedImage();
    Surface s = makeSurface(50, 50);
    drawImageNatural(s.g(), image.get(), RectF(10, 10, 10, 10), true);
    // It overhangs the 10 x 10 rectangle by 10 pixels on every side, unscaled.
    EXPECT_TRUE(colourNear(s.at(0, 0), 0xFFFF0000));
    EXPECT_TRUE(colourNear(s.at(29, 29), 0xFF0000FF));
    EXPECT_TRUE(colourNear(s.at(15, 15), 0xFF00FF00));
    EXPECT_EQ(s.at(30, 30), 0u);
    EXPECT_EQ(countPixels(s.bitmap.get(), painted), 900);

    Surface plain = makeSurface(50, 50);
    drawImageNatural(plain.g(), image.get(), RectF(10.7f, 5.9f, 10, 10), false);
    EXPECT_TRUE(colourNear(plain.at(10, 5), 0xFFFF0000));
    EXPECT_TRUE(colourNear(plain.at(39, 34), 0xFF0000FF));
    EXPECT_EQ(countPixels(plain.bitmap.get(), painted), 900);
}

// 12 x 12: 4 x 4 red corners, green edges, a blue 4 x 4 centre.
GpImagePtr nineGridImage() {
    GpImagePtr image = solidBitmap(12, 12, 0xFF00FF00);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool midX = x >= 4 && x < 8, midY = y >= 4 && y < 8;
            if (!midX && !midY) test::setPixel(image.get(), x, y, 0xFFFF0000);
            if (midX && midY) test::setPixel(image.get(), x, y, 0xFF0000FF);
        }
    return image;
}

TEST_F(DrawTest, NineGridKeepsCornersAndStretchesTheRest) {
    GpImagePtr image = nineGridImage();
    Surface s = makeSurface(44, 34);
    drawNineGrid(s.g(), image.get(), RectF(2, 2, 40, 30), RectF(4, 4, 4, 4));
    const ArgbColor red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
    // Every corner is exactly 4 x 4 red.
    for (int cx : {2, 38})
        for (int cy : {2, 28}) {
            SCOPED_TRACE(testing::Message() << "corner " << cx << "," << cy);
            EXPECT_EQ(countPixels(s.bitmap.get(), cx, cy, 4, 4,
                                  [&](ArgbColor c) { return colourNear(c, red, 8); }),
                      16);
        }
    EXPECT_FALSE(colourNear(s.at(7, 7), red, 60));
    EXPECT_TRUE(colourNear(s.at(22, 3), green, 8));   // top edge
    EXPECT_TRUE(colourNear(s.at(3, 17), green, 8));   // left edge
    EXPECT_TRUE(colourNear(s.at(40, 17), green, 8));  // right edge
    EXPECT_TRUE(colourNear(s.at(22, 30), green, 8));  // bottom edge
    EXPECT_TRUE(colourNear(s.at(22, 17), blue, 8));   // centre
    EXPECT_EQ(s.at(1, 1), 0u);
    EXPECT_EQ(s.at(42, 32), 0u);
}

TEST_F(DrawTest, NineGridOpacityBelow255GoesThroughTheColourMatrix) {
    GpImagePtr image = nineGridImage();
    for (int opacity : {255, 254, 128}) {
        SCOPED_TRACE(opacity);
        Surface s = makeSurface(40, 30);
        drawNineGrid(s.g(), image.get(), RectF(0, 0, 40, 30), RectF(4, 4, 4, 4), opacity);
        EXPECT_NEAR(alphaOf(s.at(1, 1)), opacity, 1);
        EXPECT_NEAR(alphaOf(s.at(20, 15)), opacity, 1);
    }
    // Missing graphics or image: nothing happens, nothing crashes.
    Surface s = makeSurface(10, 10);
    drawNineGrid(s.g(), nullptr, RectF(0, 0, 10, 10), RectF(4, 4, 4, 4));
    drawNineGrid(nullptr, image.get(), RectF(0, 0, 10, 10), RectF(4, 4, 4, 4));
    EXPECT_EQ(countPixels(s.bitmap.get(), painted), 0);
}

TEST_F(DrawTest, CropImageCopiesTheArea) {
    GpImagePtr image = markedImage();
    GpImagePtr piece = cropImage(image.get(), RectF(26, 27, 4, 3));
    ASSERT_TRUE(piece);
    EXPECT_EQ(test::sizeOf(piece.get()).width, 4);
    EXPECT_EQ(test::sizeOf(piece.get()).height, 3);
    EXPECT_EQ(test::pixelAt(piece.get(), 3, 2), 0xFF0000FFu);
    EXPECT_EQ(test::pixelAt(piece.get(), 0, 0), 0xFF00FF00u);
}

TEST(TextTest, Utf16LengthCountsUnitsOfAnsiText) {
    EXPECT_EQ(utf16Length(""), 0);
    EXPECT_EQ(utf16Length("abc"), 3);
    EXPECT_EQ(utf16Length("中文abc"), 5);  // four GBK bytes are two characters
    EXPECT_EQ(utf16Length(nullptr), 0);
}

TEST_F(DrawTest, LayoutIconAndTextTable) {
    GpImagePtr icon = solidBitmap(16, 12, 0xFFFFFFFF);
    const RectF area(0, 0, 100, 40), text(0, 0, 30, 10);
    struct Case {
        bool withIcon;
        int layout;
        RectF icon, text;
    } const cases[] = {
        {true, 0, {27, 15, 16, 12}, {47, 16, 32, 12}},
        {true, 1, {61, 15, 16, 12}, {27, 16, 32, 12}},
        {true, 2, {44, 8, 16, 12}, {37, 24, 32, 12}},
        {true, 3, {44, 15, 16, 12}, {37, 16, 32, 12}},
        {true, 4, {2, 15, 16, 12}, {22, 16, 78, 12}},
        {true, 5, {84, 15, 16, 12}, {2, 16, 78, 12}},
        {true, 6, {44, 1, 16, 12}, {37, 17, 35, 12}},
        // Without an icon the gap still counts.
        {false, 0, {35, 21, 0, 0}, {39, 16, 32, 12}},
        {false, 1, {69, 21, 0, 0}, {35, 16, 32, 12}},
        {false, 2, {52, 14, 0, 0}, {37, 18, 32, 12}},
        {false, 3, {52, 21, 0, 0}, {37, 16, 32, 12}},
        {false, 4, {2, 21, 0, 0}, {6, 16, 94, 12}},
        {false, 5, {100, 21, 0, 0}, {2, 16, 94, 12}},
        {false, 6, {52, 1, 0, 0}, {37, 5, 35, 12}},
        // Unknown layouts leave both rectangles as they were.
        {true, 7, {-1, -1, -1, -1}, {-1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << (c.withIcon ? " icon" : ""));
        RectF iconRect(-1, -1, -1, -1), textRect(-1, -1, -1, -1);
        layoutIconAndText(c.withIcon ? icon.get() : nullptr, c.layout, area, text, 2, 1, 4,
                          textRect, iconRect);
        EXPECT_TRUE(iconRect.Equals(c.icon))
            << iconRect.X << "," << iconRect.Y << "," << iconRect.Width << "," << iconRect.Height;
        EXPECT_TRUE(textRect.Equals(c.text))
            << textRect.X << "," << textRect.Y << "," << textRect.Width << "," << textRect.Height;
    }
}

TEST_F(DrawTest, LayoutTruncatesFractions) {
    RectF iconRect, textRect;
    layoutIconAndText(nullptr, IconAndTextCentred, RectF(0, 0, 101, 41), RectF(0, 0, 30.6f, 10.5f),
                      0, 0, 0, textRect, iconRect);
    EXPECT_TRUE(textRect.Equals(RectF(35, 15, 32, 12)));  // 35.2, 15.25, 32.6, 12.5
    EXPECT_TRUE(iconRect.Equals(RectF(50, 20, 0, 0)));    // 50.5, 20.5
}

// Fixture with a 16 px font and a no-wrap format for the text tests.
class TextDrawTest : public DrawTest {
protected:
    void SetUp() override {
        font = createFontOrDefault("宋体", 16, 0);
        ASSERT_TRUE(font);
        ASSERT_EQ(gp::GdipCreateStringFormat(4096, 0, format.put()), Gdiplus::Ok);
    }
    // Draws the text dark on a transparent 120 x 40 surface with the given effect.
    Surface draw(int effect, ArgbColor effectColor) {
        Surface s = makeSurface(120, 40);
        drawText(s.g(), RectF(10.8f, 10.6f, 100, 24), L"Halo", font.get(), argbColor(0x000000),
                 format.get(), effect, effectColor);
        return s;
    }
    GpFontPtr font;
    GpStringFormatPtr format;
};

bool reddish(ArgbColor c) {
    return alphaOf(c) > 20 && redOf(c) > greenOf(c) + 60;
}
bool whitish(ArgbColor c) {
    return alphaOf(c) > 10 && redOf(c) > 128 && greenOf(c) > 128;
}

TEST_F(TextDrawTest, EffectZeroDrawsOnlyTheText) {
    Surface plain = draw(TextPlain, argbColor(0x0000FF));
    EXPECT_GT(countPixels(plain.bitmap.get(), painted), 30);
    EXPECT_EQ(countPixels(plain.bitmap.get(), reddish), 0);
    EXPECT_EQ(countPixels(plain.bitmap.get(), whitish), 0);
    // Truncated to (10, 10): nothing lands left of or above the text rectangle.
    EXPECT_EQ(countPixels(plain.bitmap.get(), 0, 0, 10, 40, painted), 0);
}

TEST_F(TextDrawTest, GlowAndOutlineLeaveHaloPixelsAroundTheGlyphs) {
    Surface plain = draw(TextPlain, 0);
    const int textPixels = countPixels(plain.bitmap.get(), painted);
    for (int effect : {TextGlow, TextOutline}) {
        SCOPED_TRACE(effect);
        Surface halo = draw(effect, argbColor(0x0000FF));
        // Red halo pixels where the plain text left the surface empty.
        int outside = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (plain.at(x, y) == 0 && reddish(halo.at(x, y))) ++outside;
        EXPECT_GT(outside, 20);
        EXPECT_GT(countPixels(halo.bitmap.get(), painted), textPixels);
        // Without a colour, dark text gets a light halo.
        Surface light = draw(effect, 0);
        EXPECT_GT(countPixels(light.bitmap.get(), whitish), 10);
    }
}

TEST_F(TextDrawTest, MeasureTextGrowsWithTheText) {
    Surface s = makeSurface(10, 10);
    RectF shortBounds, longBounds;
    const RectF layout(0, 0, 400, 40);
    ASSERT_TRUE(measureText(s.g(), L"ab", font.get(), format.get(), 0, 2, layout, shortBounds));
    const long before = liveGdiPlusObjects();
    GpRegionPtr region;
    ASSERT_TRUE(measureText(s.g(), L"abcdefgh", font.get(), format.get(), 0, 8, layout, longBounds,
                            &region));
    EXPECT_TRUE(region);
    EXPECT_EQ(liveGdiPlusObjects(), before + 1);
    EXPECT_GT(shortBounds.Width, 5);
    EXPECT_GT(longBounds.Width, shortBounds.Width * 2.5f);
    EXPECT_GT(longBounds.Height, 10);
    EXPECT_LT(longBounds.Height, 30);
}

TEST_F(DrawTest, BackgroundIsDarkSamplesNinePoints) {
    // Columns 0..5 dark cover six of the nine probes (x 2 and 5), columns 0..2 only three.
    auto stripes = [](int darkColumns) {
        GpImagePtr image = solidBitmap(10, 10, 0xFFFFFFFF);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < darkColumns; ++x) test::setPixel(image.get(), x, y, 0xFF101010);
        return image;
    };
    const RectF whole(0, 0, 10, 10);
    EXPECT_TRUE(backgroundIsDark(stripes(6).get(), 0xFFFFFF, whole));
    EXPECT_FALSE(backgroundIsDark(stripes(3).get(), 0x000000, whole));
    EXPECT_FALSE(backgroundIsDark(stripes(6).get(), 0x000000, RectF(6, 0, 4, 10)));
    EXPECT_TRUE(backgroundIsDark(nullptr, 0x303030, whole));
    EXPECT_FALSE(backgroundIsDark(nullptr, 0xF0F0F0, whole));
}

TEST_F(DrawTest, ClipRestrictsDrawingUntilReset) {
    Surface s = makeSurface(20, 20);
    setClipRect(s.g(), RectF(0, 0, 10, 20), Gdiplus::CombineModeReplace);
    GpBrushPtr brush = createSolidBrush(0xFFFFFFFF);
    gp::GdipFillRectangle(s.g(), brush.get(), 0, 0, 20, 20);
    EXPECT_EQ(countPixels(s.bitmap.get(), painted), 200);
    GpPathPtr circle = createPath();
    ASSERT_TRUE(addEllipse(circle.get(), RectF(0, 0, 20, 20)));
    setClipPath(s.g(), circle.get(), Gdiplus::CombineModeReplace);
    resetClip(s.g());
    gp::GdipFillRectangle(s.g(), brush.get(), 0, 0, 20, 20);
    EXPECT_EQ(countPixels(s.bitmap.get(), painted), 400);
}

}  // namespace
}  // namespace dui
