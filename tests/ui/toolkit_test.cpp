#include "ui/DuiToolkit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "resources/Embedded.h"
#include "tests/support/Pixels.h"
#include "ui/DuiDraw.h"
#include "ui/DuiImageLoader.h"

namespace dui {
namespace {

using test::alphaOf;
using test::countPixels;
using test::redOf;
using ToolkitStartTest = test::ToolkitTest;

struct FontFacts {
    float size = 0;
    INT style = -1;
    Gdiplus::Unit unit = Gdiplus::UnitWorld;
};
FontFacts factsOf(Gdiplus::GpFont* font) {
    FontFacts facts;
    gp::GdipGetFontSize(font, &facts.size);
    gp::GdipGetFontStyle(font, &facts.style);
    gp::GdipGetFontUnit(font, &facts.unit);
    return facts;
}

TEST_F(ToolkitStartTest, DefaultFontIsTwelvePixelsRegular) {
    ASSERT_TRUE(toolkit().defaultFont);
    const FontFacts facts = factsOf(toolkit().defaultFont.get());
    EXPECT_EQ(facts.size, 12.0f);
    EXPECT_EQ(facts.style, Gdiplus::FontStyleRegular);
    EXPECT_EQ(facts.unit, Gdiplus::UnitPixel);
    EXPECT_FALSE(fontFamilyName(toolkit().defaultFont.get()).empty());
    EXPECT_NE(toolkit().defaultCursor, nullptr);
    EXPECT_GT(toolkit().osMajorVersion, 4);
}

TEST_F(ToolkitStartTest, MissingFamilyFallsBackToTheDefaultFamily) {
    GpFontPtr font = createFontOrDefault("No Such Family 4711", 16, Gdiplus::FontStyleBold);
    ASSERT_TRUE(font);
    const FontFacts facts = factsOf(font.get());
    EXPECT_EQ(facts.size, 16.0f);
    EXPECT_EQ(facts.style, Gdiplus::FontStyleBold);
    EXPECT_EQ(facts.unit, Gdiplus::UnitPixel);
    EXPECT_EQ(fontFamilyName(font.get()), fontFamilyName(toolkit().defaultFont.get()));
    EXPECT_EQ(fontFamilyName(nullptr), "");
}

TEST_F(ToolkitStartTest, DefaultFontIsSimSunWhenInstalled) {
    GpFontFamilyPtr simSun;
    ASSERT_EQ(gp::GdipCreateFontFamilyFromName(L"宋体", nullptr, simSun.put()), Gdiplus::Ok);
    GpFontPtr reference;
    gp::GdipCreateFont(simSun.get(), 12, 0, Gdiplus::UnitPixel, reference.put());
    EXPECT_EQ(fontFamilyName(toolkit().defaultFont.get()), fontFamilyName(reference.get()));
}

TEST_F(ToolkitStartTest, CaptionFontCandidate) {
    EXPECT_EQ(captionFontCandidate("Tahoma"), "宋体");  // installed in the prefix, still replaced
    EXPECT_EQ(captionFontCandidate("No Such Family 4711"), "宋体");
    EXPECT_EQ(captionFontCandidate("WenQuanYi Micro Hei"), "WenQuanYi Micro Hei");
    EXPECT_EQ(captionFontCandidate(nullptr), "宋体");
}

// The prefix maps both Chinese UI font names to an installed family; text drawn with either
// must reach the bitmap.
TEST_F(ToolkitStartTest, ChineseFontNamesResolveAndDraw) {
    for (const wchar_t* family : {L"微软雅黑", L"宋体"}) {
        SCOPED_TRACE(testing::Message() << (family[0] == L'宋' ? "SimSun" : "YaHei"));
        GpFontFamilyPtr found;
        ASSERT_EQ(gp::GdipCreateFontFamilyFromName(family, nullptr, found.put()), Gdiplus::Ok);
        GpFontPtr font;
        ASSERT_EQ(gp::GdipCreateFont(found.get(), 18, 0, Gdiplus::UnitPixel, font.put()),
                  Gdiplus::Ok);
        test::Surface s = test::makeSurface(120, 30);
        GpStringFormatPtr format;
        gp::GdipCreateStringFormat(4096, 0, format.put());
        drawText(s.g(), RectF(0, 0, 120, 30), L"中文服务", font.get(), argbColor(0xFFFFFF),
                 format.get(), TextPlain);
        EXPECT_GT(countPixels(s.bitmap.get(), [](ArgbColor c) { return alphaOf(c) > 128; }), 40);
    }
    // The same names given as ANSI text (code page 936) find the same fonts.
    for (const char* family : {"微软雅黑", "宋体"}) {
        GpFontPtr font = createFontOrDefault(family, 14, 0);
        ASSERT_TRUE(font);
        EXPECT_EQ(factsOf(font.get()).size, 14.0f);
    }
}

TEST_F(ToolkitStartTest, CaptionSpriteNeedsTheSignaturePrefix) {
    const auto bytes = res::caption_sprite_png;
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(std::memcmp(bytes.data() + 4, "IHDR", 4), 0);  // stored without the signature
    EXPECT_FALSE(loadImageFromBytes(bytes, false));
    GpImagePtr sprite = loadImageFromBytes(bytes, true);
    ASSERT_TRUE(sprite);
    EXPECT_EQ(test::sizeOf(sprite.get()).width, 729);
    EXPECT_EQ(test::sizeOf(sprite.get()).height, 20);
    ASSERT_TRUE(toolkit().captionSprite);
    EXPECT_EQ(test::sizeOf(toolkit().captionSprite.get()).width, 729);
}

TEST_F(ToolkitStartTest, CaptionSpriteCellsHoldGlyphs) {
    Gdiplus::GpImage* sprite = toolkit().captionSprite.get();
    ASSERT_TRUE(sprite);
    auto visible = [](ArgbColor c) { return alphaOf(c) > 100; };
    // Every cell (x, 2, width, 19) shows something; the columns between cells stay empty.
    std::vector<int> starts = {0, 40, 80};
    for (int x = 120; x < 729; x += 29) starts.push_back(x);
    for (int start : starts) {
        SCOPED_TRACE(start);
        const int width = start < 120 ? 39 : 28;
        EXPECT_GT(countPixels(sprite, start, 2, width, 18, visible), 8);
        if (start + width < 729) {
            EXPECT_EQ(countPixels(sprite, start + width, 0, 1, 20, visible), 0);
        }
    }
    // The hovered close button is red.
    EXPECT_GT(redOf(test::pixelAt(sprite, 43, 10)), 180);
    EXPECT_GT(alphaOf(test::pixelAt(sprite, 43, 10)), 200);
}

// Records the mouse messages a window of the toolkit class receives.
std::vector<UINT> g_mouseMessages;
LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_LBUTTONDOWN && message <= WM_LBUTTONDBLCLK)
        g_mouseMessages.push_back(message);
    return toolkitClassProc(window, message, wParam, lParam);
}

void pumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

TEST_F(ToolkitStartTest, ToolkitClassIsAPlainDoubleClickWindow) {
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kToolkitWindowClass, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.hCursor, toolkit().defaultCursor);
    EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(16));
    EXPECT_EQ(info.lpfnWndProc, &toolkitClassProc);

    WindowHandle window(CreateWindowExW(WS_EX_TOPMOST, kToolkitWindowClass, L"dbl",
                                        WS_POPUP | WS_VISIBLE, 100, 100, 200, 150, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(window);
    SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc));
    SetForegroundWindow(window.get());
    pumpFor(200);
    EXPECT_EQ(SendMessageW(window.get(), WM_NCHITTEST, 0, MAKELPARAM(200, 175)), HTCLIENT);

    g_mouseMessages.clear();
    SetCursorPos(200, 175);
    INPUT clicks[4] = {};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    ASSERT_EQ(SendInput(4, clicks, sizeof(INPUT)), 4u);
    pumpFor(400);
    const std::vector<UINT> expected = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                        WM_LBUTTONUP};
    EXPECT_EQ(g_mouseMessages, expected);
}

}  // namespace
}  // namespace dui
