#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "tests/ui/TextTestSupport.h"
#include "ui/DuiButton.h"
#include "ui/DuiGlowButton.h"
#include "ui/DuiTextButton.h"

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::Box;
using test::boxOf;
using test::greenOf;
using test::HostTest;
using test::pixelAt;
using test::pixelsOf;
using test::pumpFor;
using test::pumpUntil;
using test::redOf;

// A text button that counts its paints and keeps the codes it saw.
class ProbeButton : public DuiTextButton {
public:
    int paints = 0;
    std::vector<UINT> codes;
    int messageHook(ControlHandle, UINT code, WPARAM, LPARAM) override {
        if (code == WM_PAINT) ++paints;
        codes.push_back(code);
        return -1;
    }
    int count(UINT code) const {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
};

class TextControlTest : public HostTest {
protected:
    std::vector<std::pair<WPARAM, LPARAM>> mnemonics;

    void SetUp() override {
        HostTest::SetUp();
        host->setMessageHook([this](HWND, UINT message, WPARAM w, LPARAM l) {
            if (message == RegisterMnemonic) mnemonics.emplace_back(w, l);
            return -1;
        });
    }
};

bool isInk(ArgbColor c) {
    return alphaOf(c) > 200 && redOf(c) < 80 && greenOf(c) < 80 && blueOf(c) < 80;
}

TEST_F(TextControlTest, AnAmpersandRegistersItsMnemonicAndUnderlinesIt) {
    ProbeButton plain, marked;
    TextStyle style{.textColor = 0xFF000000, .fontSize = 20.0f};
    ASSERT_NE(plain.create(window, 10, 10, 80, 30, "OK", style), 0u);
    ASSERT_NE(marked.create(window, 100, 10, 80, 30, "&OK", style), 0u);
    EXPECT_EQ(mnemonics.back(), std::make_pair(WPARAM{marked.handle()}, LPARAM{'O'}));
    // "&" is not drawn; the underline adds ink under the O.
    Box plainInk = boxOf(plain.canvas(), isInk), markedInk = boxOf(marked.canvas(), isInk);
    EXPECT_NEAR(markedInk.left, plainInk.left, 1);
    EXPECT_GT(markedInk.bottom, plainInk.bottom);

    mnemonics.clear();
    int paints = marked.paints;
    EXPECT_EQ(marked.text(std::string("OK")), "OK");
    ASSERT_EQ(mnemonics.size(), 1u);
    EXPECT_EQ(mnemonics[0], std::make_pair(WPARAM{marked.handle()}, LPARAM{0}));
    EXPECT_EQ(marked.paints, paints + 1);
    EXPECT_EQ(pixelsOf(marked.canvas()), pixelsOf(plain.canvas()));

    // The same text again: no registration, no repaint.
    EXPECT_EQ(marked.text(std::string("OK")), "OK");
    EXPECT_EQ(marked.wideText(std::wstring(L"OK")), L"OK");
    EXPECT_EQ(mnemonics.size(), 1u);
    EXPECT_EQ(marked.paints, paints + 1);

    // Chinese text travels in the ANSI code page and is kept as UTF-16.
    marked.text(std::string("确定(&Y)"));
    EXPECT_EQ(marked.wideText(), L"确定(&Y)");
    EXPECT_EQ(mnemonics.back().second, LPARAM{'Y'});
}

TEST_F(TextControlTest, FontArgumentsPickTheSharedOrAnOwnedFont) {
    Gdiplus::GpFont* shared = toolkit().defaultFont.get();
    ASSERT_NE(shared, nullptr);
    DuiTextButton none, sizeOnly, styleOnly;
    none.create(window, 0, 0, 60, 24, "a");
    sizeOnly.create(window, 0, 30, 60, 24, "b", {.fontSize = 20.0f});
    styleOnly.create(window, 0, 60, 60, 24, "c", {.fontStyle = Gdiplus::FontStyleBold});
    EXPECT_EQ(none.font(), shared);
    EXPECT_NE(sizeOnly.font(), shared);
    EXPECT_EQ(sizeOnly.fontName(), fontFamilyName(shared));
    EXPECT_EQ(sizeOnly.fontSize(), 20);
    EXPECT_EQ(sizeOnly.fontStyle(), 0);
    Gdiplus::Unit unit = Gdiplus::UnitWorld;
    gp::GdipGetFontUnit(sizeOnly.font(), &unit);
    EXPECT_EQ(unit, Gdiplus::UnitPixel);
    EXPECT_EQ(styleOnly.fontSize(), 12);
    EXPECT_EQ(styleOnly.fontStyle(), Gdiplus::FontStyleBold);

    // Releasing never deletes the shared font; an owned one goes and the shared one is used.
    long live = liveGdiPlusObjects();
    none.releaseFont();
    EXPECT_EQ(liveGdiPlusObjects(), live);
    EXPECT_EQ(none.font(), shared);
    none.destroy();
    EXPECT_EQ(toolkit().defaultFont.get(), shared);
    float size = 0;
    EXPECT_EQ(gp::GdipGetFontSize(shared, &size), Gdiplus::Ok);
    live = liveGdiPlusObjects();
    sizeOnly.releaseFont();
    EXPECT_EQ(sizeOnly.font(), shared);
    EXPECT_EQ(liveGdiPlusObjects(), live - 1);
    // An unknown family falls back to the default family at the current size.
    styleOnly.fontName(std::string("No Such Family 123"));
    EXPECT_EQ(styleOnly.fontName(), fontFamilyName(shared));
    EXPECT_EQ(styleOnly.fontStyle(), Gdiplus::FontStyleBold);
}

TEST_F(TextControlTest, APressShowsOnlyOnFocusableControls) {
    ProbeButton still, pressable;
    still.create(window, 10, 10, 80, 30, "Hold");
    pressable.create(window, 100, 10, 80, 30, "Hold");
    still.focusable(0);
    std::vector<ArgbColor> before = pixelsOf(still.canvas());
    int paints = still.paints;
    dispatchMessage(still.handle(), WM_LBUTTONDOWN, 0, 0);
    dispatchMessage(still.handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(still.paints, paints);
    EXPECT_EQ(still.visualState(), VisualState::Normal);
    EXPECT_EQ(pixelsOf(still.canvas()), before);

    dispatchMessage(pressable.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(pressable.visualState(), VisualState::Pressed);
    EXPECT_NE(pixelsOf(pressable.canvas()), before);
    dispatchMessage(pressable.handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(pressable.visualState(), VisualState::Hover);
    // A press paints at once: no transition was set up.
    EXPECT_EQ(pressable.count(TransitionStarted), 0);
}

TEST_F(TextControlTest, PressedDrawsIconAndTextOnePixelLowerAndRight) {
    DuiTextButton button;
    button.create(window, 10, 10, 120, 60, "Wy", {.textColor = 0xFF0000FF, .fontSize = 18.0f});
    button.iconLayout(IconAboveText);
    button.icon(test::solidBmp(8, 8, 255, 0, 0));
    auto red = [](ArgbColor c) { return redOf(c) > 200 && greenOf(c) < 60 && blueOf(c) < 60; };
    // Over the grey look, blue minus the other channels is the text's coverage alone, so the
    // glyph edges count the same whatever the state's background.
    auto blue = [](ArgbColor c) { return blueOf(c) - std::max(redOf(c), greenOf(c)) > 128; };
    for (VisualState state : {VisualState::Normal, VisualState::Hover, VisualState::Focused}) {
        button.paintText(button.handle(), state);
        Box icon = boxOf(button.canvas(), red), text = boxOf(button.canvas(), blue);
        ASSERT_NE(icon.left, -1);
        ASSERT_NE(text.left, -1);
        EXPECT_EQ(icon.right - icon.left, 7);
        button.paintText(button.handle(), VisualState::Pressed);
        EXPECT_EQ(boxOf(button.canvas(), red),
                  (Box{icon.left + 1, icon.top + 1, icon.right + 1, icon.bottom + 1}));
        EXPECT_EQ(boxOf(button.canvas(), blue),
                  (Box{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1}));
    }
}

TEST_F(TextControlTest, HoverCrossFadesOverFourFramesAndThenPaintsAtOnce) {
    ProbeButton button;
    button.create(window, 10, 10, 80, 30, "Hover");
    pumpFor(20);
    std::vector<int> frames;
    button.bindEvent(TransitionFrame,
                     [&](const EventArgs&) { frames.push_back(button.transitionStep()); });
    std::vector<ArgbColor> normal = pixelsOf(button.canvas());
    DWORD start = GetTickCount();
    dispatchMessage(button.handle(), MouseEnter, 0, 0);
    EXPECT_EQ(button.transitionSteps(), 4);
    EXPECT_EQ(button.visualState(), VisualState::Hover);
    EXPECT_NE(pixelsOf(button.canvas()), normal);
    ASSERT_TRUE(pumpUntil([&] { return button.count(TransitionFinished) == 1; }));
    EXPECT_GE(GetTickCount() - start, 200u);  // 4 steps of 60 ms
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(button.transitionSteps(), 0);

    int started = button.count(TransitionStarted);
    button.text(std::string("Changed"));
    EXPECT_EQ(button.count(TransitionStarted), started);
    EXPECT_EQ(button.transitionSteps(), 0);
}

class GlowButtonTest : public TextControlTest {
protected:
    DuiGlowButton glow;
    DuiTextButton other;
    void SetUp() override {
        TextControlTest::SetUp();
        ASSERT_NE(glow.create(window, 10, 10, 70, 26, "OK"), 0u);
        other.create(window, 100, 10, 70, 26, "Other");
    }
    // The light sits on the top row of the border: bright where the skin's border is dark.
    ArgbColor top(int x) { return pixelAt(glow.canvas(), x, 0); }
};

TEST_F(GlowButtonTest, TheSkinIsSharedAndTheKindIsSet) {
    EXPECT_EQ(glow.kind(), GlowButton);
    Gdiplus::GpImage* skin = glowButtonSkin();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(test::sizeOf(skin).width, 55);
    EXPECT_EQ(test::sizeOf(skin).height, 28);
    DuiGlowButton second;
    second.create(window, 10, 50, 70, 26, "Two");
    EXPECT_EQ(glowButtonSkin(), skin);
    // The skin's border is drawn, and nothing of the text layer's own frame.
    EXPECT_LT(redOf(top(20)), 120);
    EXPECT_GT(alphaOf(top(20)), 150);
}

TEST_F(GlowButtonTest, TheLightRunsClockwiseAndTurnsAtTheCorners) {
    host->setFocus(glow.handle(), false);
    ASSERT_EQ(glow.glowRunning(), 1);
    EXPECT_EQ(glow.glowPhase(), 1);
    EXPECT_FLOAT_EQ(glow.glowPoint().X, 6);
    EXPECT_FLOAT_EQ(glow.glowPoint().Y, 0);
    std::vector<std::pair<float, float>> turns;
    for (int i = 0; i < 60 && turns.size() < 4; ++i) {
        int phase = glow.glowPhase();
        glow.glowStep();
        if (glow.glowPhase() != phase) turns.emplace_back(glow.glowPoint().X, glow.glowPoint().Y);
    }
    EXPECT_EQ(turns, (std::vector<std::pair<float, float>>{{68, 0}, {68, 22}, {0, 22}, {0, 0}}));
}

TEST_F(GlowButtonTest, FocusRunsTheLightAndFocusLossStopsIt) {
    ArgbColor unlit = top(6);
    host->setFocus(glow.handle(), false);
    glow.repaint();
    EXPECT_GT(redOf(top(6)), 200);
    EXPECT_GT(redOf(top(6)), redOf(unlit) + 80);

    ASSERT_TRUE(pumpUntil([&] { return glow.glowPoint().X >= 18; }, 2000));
    EXPECT_EQ(glow.glowPhase(), 1);

    host->setFocus(other.handle(), false);
    EXPECT_EQ(glow.glowRunning(), 0);
    Gdiplus::PointF stopped = glow.glowPoint();
    int x = static_cast<int>(stopped.X);
    EXPECT_LT(redOf(top(x)), 120);
    pumpFor(350);
    EXPECT_FLOAT_EQ(glow.glowPoint().X, stopped.X);
    EXPECT_FLOAT_EQ(glow.glowPoint().Y, stopped.Y);

    // Each focus gain starts over at (6, 0).
    host->setFocus(glow.handle(), false);
    EXPECT_FLOAT_EQ(glow.glowPoint().X, 6);
    EXPECT_EQ(glow.glowPhase(), 1);
}

// Leftmost and rightmost columns where two same-sized pictures differ clearly; -1 when none.
std::pair<int, int> differingColumns(Gdiplus::GpImage* a, Gdiplus::GpImage* b) {
    auto alike = [](int x, int y) { return x - y < 60 && y - x < 60; };
    std::pair<int, int> span{-1, -1};
    test::ImageSize size = test::sizeOf(a);
    for (int x = 0; x < size.width; ++x) {
        for (int y = 0; y < size.height; ++y) {
            ArgbColor p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            if (alike(alphaOf(p), alphaOf(q)) && alike(redOf(p), redOf(q)) &&
                alike(greenOf(p), greenOf(q)) && alike(blueOf(p), blueOf(q)))
                continue;
            if (span.first < 0) span.first = x;
            span.second = x;
            break;
        }
    }
    return span;
}

TEST_F(TextControlTest, CaptionsInTheirTightTextBoxKeepEveryCharacter) {
    struct Case {
        const char* text;
        int width, height;
        std::optional<float> size;
    };
    const Case cases[] = {{"设置", 60, 38, {}},
                          {"启动服务", 74, 36, {}},
                          {"停止", 58, 36, {}},
                          {"Cancel", 90, 32, 20.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const TextStyle style{.fontName = std::string("微软雅黑"), .fontSize = c.size};
        DuiTextButton captioned, blank;
        DuiButton button, blankButton;
        captioned.create(window, 0, 0, c.width, c.height, c.text, style);
        blank.create(window, 0, 50, c.width, c.height, "", style);
        button.create(window, 100, 0, c.width, c.height, c.text, style);
        blankButton.create(window, 100, 50, c.width, c.height, "", style);

        // The same text with room to spare shows how wide its ink must be.
        test::Surface wide = test::makeSurface(300, 60);
        gp::GdipSetTextRenderingHint(wide.g(), Gdiplus::TextRenderingHintAntiAliasGridFit);
        drawText(wide.g(), RectF(0, 0, 300, 60), captioned.wideText().c_str(), captioned.font(),
                 0xFF000000, captioned.stringFormat(), 0);
        test::Surface empty = test::makeSurface(300, 60);
        const auto [left, right] = differingColumns(wide.bitmap.get(), empty.bitmap.get());
        ASSERT_GE(left, 0);

        const std::pair<DuiTextControl*, DuiTextControl*> drawn[] = {{&captioned, &blank},
                                                                     {&button, &blankButton}};
        for (auto [control, plain] : drawn) {
            const auto [inkLeft, inkRight] = differingColumns(control->canvas(), plain->canvas());
            ASSERT_GE(inkLeft, 0);
            EXPECT_GE(inkRight - inkLeft, right - left - 2);
        }
    }
}

TEST_F(TextControlTest, NoGdiPlusObjectLeaksOverRepaintsAndRecreations) {
    auto cycle = [&] {
        DuiTextButton text;
        DuiGlowButton glow;
        text.create(window, 0, 0, 80, 26, "&Text", {.fontName = std::string("Arial")});
        glow.create(window, 0, 30, 70, 26, "Glow", {.fontSize = 14.0f});
        text.icon(test::solidBmp(4, 4, 0, 255, 0));
        text.text(std::string("Other"));
        text.fontSize(16.0f);
        host->setFocus(glow.handle(), false);
        glow.repaint();
        text.destroy();
        glow.destroy();
    };
    EXPECT_EQ(test::leakedOver(1000, [&](int) { cycle(); }), 0);
    DuiTextButton kept;
    kept.create(window, 100, 100, 80, 26, "Kept", {.fontSize = 13.0f});
    EXPECT_EQ(test::leakedOver(1000,
                               [&](int i) {
                                   kept.repaint();
                                   kept.paintText(kept.handle(), static_cast<VisualState>(i % 4));
                               }),
              0);
}

}  // namespace
}  // namespace dui
