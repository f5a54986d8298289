// Stateless drawing helpers on the GDI+ flat API that every control and the host paint with.
// Each call creates and frees its own GDI+ objects; results handed back come in owners.
#pragma once

#include <cstdint>
#include <optional>

#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"

namespace dui {

// Styles of drawFrame; any value above Dashed is itself the ArgbColor of a plain frame.
enum FrameStyle : std::uint32_t {
    FrameNone = 0,
    FrameSunken = 1,
    FrameRaised = 2,
    FramePlain = 3,
    FrameDashed = 4
};

// Placement of an icon relative to its text in layoutIconAndText.
enum IconLayout : int {
    IconLeftOfText = 0,
    TextLeftOfIcon = 1,
    IconAboveText = 2,
    IconAndTextCentred = 3,
    IconAtLeftEdge = 4,
    TextAtLeftEdge = 5,
    IconAtTopEdge = 6,
};

// Halo effects of drawText; other values draw plain text.
enum TextEffect : int { TextPlain = 0, TextGlow = 3, TextOutline = 4 };

inline constexpr Gdiplus::PixelFormat kPixelFormat32bppArgb = 0x0026200A;

struct ArgbParts {
    int alpha, red, green, blue;  // each 0..255
};

// COLORREF (0x00BBGGRR) plus alpha to 0xAARRGGBB; alpha 255 (the default) is stored as 254.
ArgbColor argbColor(COLORREF rgb, int alpha = 255);
ArgbParts splitArgb(ArgbColor argb);
// True when 0.299 R + 0.587 G + 0.114 B is below 192; alpha is ignored.
bool isDark(ArgbColor argb);
void offsetRect(RectF& rect, float dx = 0, float dy = 0, float dwidth = 0, float dheight = 0);

// Four d x d corner arcs; the right and bottom edges lie one pixel inside rect.
GpPathPtr roundRectPath(const RectF& rect, float d,
                        Gdiplus::FillMode fillMode = Gdiplus::FillModeAlternate);
void fillRoundRect(Gdiplus::GpGraphics* graphics, const RectF& rect, float d, ArgbColor argb);
void drawRoundRect(Gdiplus::GpGraphics* graphics, const RectF& rect, float d, ArgbColor argb,
                   Gdiplus::DashStyle dashStyle, float width = 1.0f);
// Mode 1 (vertical, the default) runs from argbFrom at the top to argbTo at the bottom.
void fillGradientRect(Gdiplus::GpGraphics* graphics, const RectF& rect, ArgbColor argbFrom,
                      ArgbColor argbTo, int mode = 1);
// style is a FrameStyle or, above 4, the frame colour itself; argb overrides the default colour
// of the plain (3) and dashed (4) styles.
void drawFrame(Gdiplus::GpGraphics* graphics, const RectF& rect, std::uint32_t style,
               std::optional<ArgbColor> argb = std::nullopt, float width = 1.0f);
void drawLine(Gdiplus::GpGraphics* graphics, ArgbColor argb, float x1, float y1, float x2, float y2,
              float width = 1.0f);
GpPenPtr createPen(ArgbColor argb, float width = 1.0f, Gdiplus::Unit unit = Gdiplus::UnitWorld);
GpBrushPtr createSolidBrush(ArgbColor argb);

// alpha 255 draws plainly; below, through a colour matrix scaling alpha by alpha / 255.
void drawImageWithOpacity(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, const RectF& rect,
                          int alpha);
// The source rectangle of image (in image pixels) into dest, with the same opacity rule.
void drawImagePartWithOpacity(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image,
                              const RectF& dest, const RectF& source, int alpha);
// At the image's own size, at rect's origin or centred on rect (overhanging when larger).
void drawImageNatural(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, const RectF& rect,
                      bool centred);
// centre is the stretchable middle cell in image pixels; corners keep their size. Opacity below
// 255 goes through the colour matrix.
void drawNineGrid(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, const RectF& dest,
                  const RectF& centre, int opacity = 255);
// A new bitmap with the pixels of rect, in the image's own pixel format.
GpImagePtr cropImage(Gdiplus::GpImage* image, const RectF& rect);

// Length in UTF-16 units of text in the ANSI code page.
int utf16Length(const char* text);
// Bounds of characters [first, first + length) laid out in layoutRect. Sets the format's
// measurable ranges. When keptRegion is given it receives the measured region.
bool measureText(Gdiplus::GpGraphics* graphics, const wchar_t* text, Gdiplus::GpFont* font,
                 Gdiplus::GpStringFormat* format, int first, int length, const RectF& layoutRect,
                 RectF& bounds, GpRegionPtr* keptRegion = nullptr);
// Places an icon (null: 0 x 0) and measured text (textSize width and height) in area by layout;
// other layouts leave both rectangles untouched.
void layoutIconAndText(Gdiplus::GpImage* icon, int layout, const RectF& area, const RectF& textSize,
                       float offsetX, float offsetY, float gap, RectF& textRect, RectF& iconRect);
// Plain text, or with a glow (3) or outline (4) halo of effectColor; effectColor 0 picks a light
// halo for dark text and a dark one for light text.
void drawText(Gdiplus::GpGraphics* graphics, const RectF& rect, const wchar_t* text,
              Gdiplus::GpFont* font, ArgbColor argb, Gdiplus::GpStringFormat* format, int effect,
              ArgbColor effectColor = 0);
// The halo alone: the text spread by one pixel, shrunk by scale and stretched back.
void drawTextGlow(Gdiplus::GpGraphics* graphics, const RectF& rect, const wchar_t* text,
                  Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format, ArgbColor argb,
                  float scale = 3.0f);

// Whether the host background under rect is dark: backgroundImage and themeColor (a COLORREF)
// are the host's fields; the host answers false itself when a window has no host.
bool backgroundIsDark(Gdiplus::GpImage* backgroundImage, COLORREF themeColor, const RectF& rect);
ArgbColor getPixel(Gdiplus::GpBitmap* bitmap, int x, int y);
inline ArgbColor getPixel(Gdiplus::GpImage* bitmap, int x, int y) {
    return getPixel(reinterpret_cast<Gdiplus::GpBitmap*>(bitmap), x, y);
}

void setClipRect(Gdiplus::GpGraphics* graphics, const RectF& rect, Gdiplus::CombineMode mode);
void setClipPath(Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path, Gdiplus::CombineMode mode);
void setClipRegion(Gdiplus::GpGraphics* graphics, Gdiplus::GpRegion* region,
                   Gdiplus::CombineMode mode);
void resetClip(Gdiplus::GpGraphics* graphics);
GpRegionPtr regionFromHrgn(HRGN region);
GpPathPtr createPath(Gdiplus::FillMode fillMode = Gdiplus::FillModeAlternate);
bool addEllipse(Gdiplus::GpPath* path, const RectF& rect);

// Presents sourceDc on a layered window with per-pixel alpha.
void updateLayered(HWND hostWindow, HDC sourceDc, SIZE size);

}  // namespace dui
