#include <gtest/gtest.h>

#include <span>
#include <utility>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "tests/ui/TextTestSupport.h"
#include "ui/DuiButton.h"
#include "ui/DuiTextButton.h"
#include "ui/DuiImage.h"
#include "ui/DuiImageLoader.h"
#include "resources/Embedded.h"

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::countPixels;
using test::greenOf;
using test::HostTest;
using test::pixelAt;
using test::pixelsOf;
using test::pumpFor;
using test::pumpUntil;
using test::redOf;
using test::solidBmp;

// A button that counts the paints reaching it.
class ProbeButton : public DuiButton {
public:
    int paints = 0;
    int userMessageHook(ControlHandle, UINT code, WPARAM, LPARAM) override {
        if (code == WM_PAINT) ++paints;
        return -1;
    }
};

using ButtonTest = HostTest;

const std::vector<std::uint8_t> kRedImage = solidBmp(12, 12, 255, 0, 0);
const std::vector<std::uint8_t> kGreenImage = solidBmp(12, 12, 0, 255, 0);
const std::vector<std::uint8_t> kBlueImage = solidBmp(12, 12, 0, 0, 255);

bool isRed(ArgbColor c) {
    return redOf(c) > 200 && greenOf(c) < 40 && blueOf(c) < 40;
}

TEST_F(ButtonTest, CreatedAsAButtonWithEmptySkin) {
    DuiButton button;
    ASSERT_NE(button.create(window, 10, 10, 60, 30, ""), 0u);
    EXPECT_EQ(button.kind(), Button);
    EXPECT_TRUE(button.normalImage().empty());
    EXPECT_EQ(button.imageDrawMode(), 0);
    RECT none = button.nineGridMargins();
    EXPECT_EQ(none.right - none.left, 0);
    // Nothing at all is drawn without pictures and caption.
    EXPECT_EQ(countPixels(button.canvas(), [](ArgbColor c) { return c != 0; }), 0);

    button.setSkin(kRedImage, kGreenImage, kBlueImage, kBlueImage);
    EXPECT_EQ(button.hoverImage(), kGreenImage);
    button.destroy();
    EXPECT_TRUE(button.normalImage().empty());
    EXPECT_TRUE(button.hoverImage().empty());
    EXPECT_TRUE(button.pressedImage().empty());
    EXPECT_TRUE(button.disabledImage().empty());
}

TEST_F(ButtonTest, DrawModesPlaceTheStatePicture) {
    struct Case {
        int mode;
        bool cornerFar;  // (50, 25): reached only when the picture covers the whole button
        bool origin;
    } cases[] = {{0, false, true}, {1, true, true}, {2, false, false}, {3, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        DuiButton button;
        button.create(window, 10, 10, 60, 30, "");
        button.setSkin(kRedImage, std::nullopt, std::nullopt, std::nullopt, c.mode,
                       RECT{3, 3, 9, 9});
        EXPECT_EQ(isRed(pixelAt(button.canvas(), 50, 25)), c.cornerFar);
        EXPECT_EQ(isRed(pixelAt(button.canvas(), 2, 2)), c.origin);
    }
    // Undecodable bytes leave the background empty.
    DuiButton broken;
    broken.create(window, 10, 50, 60, 30, "");
    broken.setSkin(std::vector<std::uint8_t>{1, 2, 3, 4}, std::nullopt, std::nullopt, std::nullopt,
                   1);
    EXPECT_EQ(countPixels(broken.canvas(), [](ArgbColor c) { return c != 0; }), 0);
}

TEST_F(ButtonTest, AStretchedSkinMatchesStretchingThePictureOverTheCanvas) {
    struct Case {
        std::span<const std::uint8_t> normal, hover;
        int width, height;
    } cases[] = {{res::node_frame_png, res::node_frame_lit_png, 135, 54},
                 {res::start_frame_png, res::start_frame_lit_png, 74, 36},
                 {res::square_frame_png, res::square_frame_lit_png, 60, 38}};
    for (const Case& k : cases) {
        DuiButton button;
        button.create(window, 10, 10, k.width, k.height, "");
        button.setSkin(k.normal, k.hover, k.hover, k.hover, DrawStretch);
        // Twice each: the second paint of a look must not differ from the first.
        for (auto [picture, hovered] : {std::pair{k.normal, false}, std::pair{k.hover, true},
                                        std::pair{k.normal, false}, std::pair{k.hover, true}}) {
            button.paintText(button.handle(),
                             hovered ? VisualState::Hover : VisualState::Normal);
            GpImagePtr decoded = loadImageFromBytes(picture, false);
            test::Surface direct = test::makeSurface(k.width, k.height);
            gp::GdipSetSmoothingMode(direct.g(), Gdiplus::SmoothingModeAntiAlias);
            gp::GdipDrawImageRect(direct.g(), decoded.get(), 0, 0, static_cast<float>(k.width),
                                  static_cast<float>(k.height));
            int differing = 0;
            for (int y = 0; y < k.height; ++y)
                for (int x = 0; x < k.width; ++x)
                    if (!test::colourNear(pixelAt(button.canvas(), x, y), direct.at(x, y), 1))
                        ++differing;
            EXPECT_EQ(differing, 0) << k.width << (hovered ? " hover" : " normal");
        }
        button.destroy();
    }
}

TEST_F(ButtonTest, StatesPickTheirPicturesAndFocusShowsNothing) {
    ProbeButton button;
    button.create(window, 10, 10, 60, 30, "");
    button.setSkin(kRedImage, kGreenImage, kBlueImage, std::nullopt, 1);
    auto centre = [&] { return pixelAt(button.canvas(), 30, 15); };
    EXPECT_TRUE(isRed(centre()));
    dispatchMessage(button.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(blueOf(centre()), 255);
    dispatchMessage(button.handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(greenOf(centre()), 255);
    button.paintText(button.handle(), VisualState::Normal);

    // Focus changes paint nothing, and even a Focused paint shows the hover picture with no
    // dashed rectangle over it.
    int paints = button.paints;
    host->setFocus(button.handle(), true);
    ASSERT_EQ(host->focusCueControl, button.handle());
    EXPECT_EQ(button.paints, paints);
    EXPECT_TRUE(isRed(centre()));
    button.paintText(button.handle(), VisualState::Focused);
    EXPECT_EQ(countPixels(button.canvas(), [](ArgbColor c) { return greenOf(c) != 255; }), 0);

    // The text layer's own look does draw the cue, so the check above can fail.
    DuiTextButton plain;
    plain.create(window, 100, 10, 60, 30, "");
    std::vector<ArgbColor> withoutCue = pixelsOf(plain.canvas());
    host->setFocus(plain.handle(), true);
    plain.paintText(plain.handle(), VisualState::Normal);
    EXPECT_NE(pixelsOf(plain.canvas()), withoutCue);
}

TEST_F(ButtonTest, DisabledLookIsTheOwnPictureOrTheNormalOneAtHalfOpacity) {
    DuiButton own, halved;
    own.create(window, 10, 10, 60, 30, "");
    halved.create(window, 100, 10, 60, 30, "");
    own.setSkin(kRedImage, kGreenImage, std::nullopt, kBlueImage, 1);
    halved.setSkin(kRedImage, kGreenImage, std::nullopt, std::nullopt, 1);
    pumpFor(30);
    own.disabled(1);
    halved.disabled(1);
    pumpFor(400);  // the posted leave and its 4-frame fade
    ArgbColor ownPixel = px(40, 25), halvedPixel = px(130, 25);
    EXPECT_GE(alphaOf(ownPixel), 250);
    EXPECT_EQ(blueOf(ownPixel), 255);
    EXPECT_EQ(redOf(ownPixel), 0);
    EXPECT_NEAR(alphaOf(halvedPixel), 127, 3);
    EXPECT_GT(redOf(halvedPixel), 100);
    EXPECT_EQ(blueOf(halvedPixel), 0);

    own.disabled(0);
    pumpFor(400);
    EXPECT_GE(alphaOf(px(40, 25)), 250);
    EXPECT_GT(redOf(px(40, 25)), 200);
}

TEST_F(ButtonTest, NineGridMarginsRepaintOnlyInNineGridMode) {
    ProbeButton button;
    button.create(window, 10, 10, 60, 30, "");
    button.setSkin(kRedImage, std::nullopt, std::nullopt, std::nullopt, 1);
    int paints = button.paints;
    RECT stored = button.nineGridMargins(RECT{2, 3, 8, 10});
    EXPECT_EQ(stored.left, 2);
    EXPECT_EQ(stored.top, 3);
    EXPECT_EQ(stored.right, 8);
    EXPECT_EQ(stored.bottom, 10);
    EXPECT_EQ(button.paints, paints);
    button.imageDrawMode(3);
    EXPECT_EQ(button.paints, paints + 1);
    button.nineGridMargins(RECT{4, 4, 8, 8});
    EXPECT_EQ(button.paints, paints + 2);
    button.setSkin();  // nothing given: only a repaint
    EXPECT_EQ(button.paints, paints + 3);
    // Refresh repaints plain text controls only.
    dispatchMessage(button.handle(), Refresh, 0, 0);
    EXPECT_EQ(button.paints, paints + 3);
}

TEST_F(ButtonTest, WithoutPicturesOnlyTheCaptionIsDrawn) {
    DuiButton button;
    TextStyle style;
    style.textColor = 0xFF000000;
    style.fontSize = 16.0f;
    button.create(window, 10, 10, 80, 30, "OK", style);
    Gdiplus::GpImage* canvas = button.canvas();
    EXPECT_GT(countPixels(canvas, [](ArgbColor c) { return alphaOf(c) > 200; }), 10);
    EXPECT_EQ(countPixels(canvas,
                          [](ArgbColor c) {
                              return c != 0 && (redOf(c) > 40 || greenOf(c) > 40 || blueOf(c) > 40);
                          }),
              0);
    EXPECT_EQ(pixelAt(canvas, 0, 0), 0u);
    EXPECT_EQ(pixelAt(canvas, 79, 29), 0u);
}

TEST_F(ButtonTest, NoGdiPlusObjectLeaksOverRepaintsAndRecreations) {
    auto cycle = [&] {
        DuiButton button;
        TextStyle style;
        style.fontSize = 14.0f;
        button.create(window, 0, 0, 60, 30, "Go", style);
        button.setSkin(kRedImage, kGreenImage, kBlueImage, kBlueImage, 3, RECT{3, 3, 9, 9});
        button.paintText(button.handle(), VisualState::Pressed);
        button.disabled(1);
        button.repaint();
        button.destroy();
    };
    EXPECT_EQ(test::leakedOver(1000, [&](int) { cycle(); }), 0);
    DuiButton kept;
    kept.create(window, 100, 0, 60, 30, "Kept");
    kept.setSkin(kRedImage, kGreenImage, kBlueImage, std::nullopt, 1);
    EXPECT_EQ(
        test::leakedOver(
            1000, [&](int i) { kept.paintText(kept.handle(), static_cast<VisualState>(i % 4)); }),
        0);
}

}  // namespace
}  // namespace dui
