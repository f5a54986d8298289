#include "ui/DuiDraw.h"

#include <cmath>

namespace dui {

using Gdiplus::GpGraphics;
using Gdiplus::GpImage;

namespace {

float trunc(float v) {
    return std::trunc(v);
}

// The flat API hands out derived brush and bitmap types through base-class owners.
template <class Derived>
Derived** asOut(GpBrushPtr::OutSlot&& slot) {
    return reinterpret_cast<Derived**>(static_cast<Gdiplus::GpBrush**>(slot));
}
Gdiplus::GpBitmap** asBitmapOut(GpImagePtr::OutSlot&& slot) {
    return reinterpret_cast<Gdiplus::GpBitmap**>(static_cast<GpImage**>(slot));
}

// Identity colour matrix whose alpha scale is alpha / 255, in image attributes for bitmaps.
GpImageAttributesPtr opacityAttributes(int alpha) {
    Gdiplus::ColorMatrix matrix = {};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = static_cast<float>(alpha) / 255.0f;
    GpImageAttributesPtr attributes;
    gp::GdipCreateImageAttributes(attributes.put());
    gp::GdipSetImageAttributesColorMatrix(attributes.get(), Gdiplus::ColorAdjustTypeBitmap, TRUE,
                                          &matrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
    return attributes;
}

void drawImagePart(GpGraphics* graphics, GpImage* image, const RectF& dest, const RectF& source,
                   Gdiplus::GpImageAttributes* attributes) {
    gp::GdipDrawImageRectRect(graphics, image, dest.X, dest.Y, dest.Width, dest.Height, source.X,
                              source.Y, source.Width, source.Height, Gdiplus::UnitPixel, attributes,
                              nullptr, nullptr);
}

void drawRectangleWithPen(GpGraphics* graphics, const RectF& rect, ArgbColor argb, float width,
                          bool dashed) {
    GpPenPtr pen = createPen(argb, width);
    if (dashed) gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDash);
    gp::GdipDrawRectangle(graphics, pen.get(), rect.X, rect.Y, rect.Width - 1, rect.Height - 1);
}

struct ImageSize {
    float width = 0, height = 0;
};
ImageSize imageSize(GpImage* image) {
    UINT w = 0, h = 0;
    if (image) {
        gp::GdipGetImageWidth(image, &w);
        gp::GdipGetImageHeight(image, &h);
    }
    return {static_cast<float>(w), static_cast<float>(h)};
}

// A new 32-bit ARGB bitmap with a graphics on it.
struct Canvas {
    GpImagePtr bitmap;
    GpGraphicsPtr graphics;
};
Canvas makeCanvas(int width, int height) {
    Canvas canvas;
    if (width <= 0 || height <= 0) return canvas;
    gp::GdipCreateBitmapFromScan0(width, height, 0, kPixelFormat32bppArgb, nullptr,
                                  asBitmapOut(canvas.bitmap.put()));
    if (canvas.bitmap) gp::GdipGetImageGraphicsContext(canvas.bitmap.get(), canvas.graphics.put());
    return canvas;
}

}  // namespace

ArgbColor argbColor(COLORREF rgb, int alpha) {
    const ArgbColor a = alpha == 255 ? 254u : static_cast<ArgbColor>(alpha) & 0xFFu;
    return a << 24 | (rgb & 0xFFu) << 16 | (rgb & 0xFF00u) | (rgb >> 16 & 0xFFu);
}

ArgbParts splitArgb(ArgbColor argb) {
    return {static_cast<int>(argb >> 24 & 0xFF), static_cast<int>(argb >> 16 & 0xFF),
            static_cast<int>(argb >> 8 & 0xFF), static_cast<int>(argb & 0xFF)};
}

bool isDark(ArgbColor argb) {
    const ArgbParts p = splitArgb(argb);
    const double luminance = 0.299 * p.red + 0.587 * p.green + 0.114 * p.blue;
    return luminance < 192.0 - 1e-7;
}

void offsetRect(RectF& rect, float dx, float dy, float dwidth, float dheight) {
    rect.X += dx;
    rect.Y += dy;
    rect.Width += dwidth;
    rect.Height += dheight;
}

GpPathPtr roundRectPath(const RectF& rect, float d, Gdiplus::FillMode fillMode) {
    GpPathPtr path;
    if (gp::GdipCreatePath(fillMode, path.put()) != Gdiplus::Ok) return path;
    const float r = rect.X + rect.Width - d - 1;
    const float b = rect.Y + rect.Height - d - 1;
    gp::GdipAddPathArc(path.get(), rect.X, rect.Y, d, d, 180, 90);
    gp::GdipAddPathArc(path.get(), r, rect.Y, d, d, 270, 90);
    gp::GdipAddPathArc(path.get(), r, b, d, d, 0, 90);
    gp::GdipAddPathArc(path.get(), rect.X, b, d, d, 90, 90);
    gp::GdipClosePathFigure(path.get());
    return path;
}

void fillRoundRect(GpGraphics* graphics, const RectF& rect, float d, ArgbColor argb) {
    GpPathPtr path = roundRectPath(rect, d, Gdiplus::FillModeAlternate);
    GpBrushPtr brush = createSolidBrush(argb);
    gp::GdipFillPath(graphics, brush.get(), path.get());
}

void drawRoundRect(GpGraphics* graphics, const RectF& rect, float d, ArgbColor argb,
                   Gdiplus::DashStyle dashStyle, float width) {
    GpPathPtr path = roundRectPath(rect, d, Gdiplus::FillModeAlternate);
    GpPenPtr pen = createPen(argb, width);
    gp::GdipSetPenDashStyle(pen.get(), dashStyle);
    gp::GdipDrawPath(graphics, pen.get(), path.get());
}

void fillGradientRect(GpGraphics* graphics, const RectF& rect, ArgbColor argbFrom, ArgbColor argbTo,
                      int mode) {
    GpBrushPtr brush;
    gp::GdipCreateLineBrushFromRect(
        &rect, argbFrom, argbTo, static_cast<Gdiplus::LinearGradientMode>(mode),
        Gdiplus::WrapModeTileFlipXY, asOut<Gdiplus::GpLineGradient>(brush.put()));
    gp::GdipFillRectangle(graphics, brush.get(), rect.X, rect.Y, rect.Width - 1, rect.Height - 1);
}

void drawFrame(GpGraphics* graphics, const RectF& rect, std::uint32_t style,
               std::optional<ArgbColor> argb, float width) {
    const float x = rect.X, y = rect.Y;
    const float right = x + rect.Width - 1, bottom = y + rect.Height - 1;
    switch (style) {
        case FrameNone:
            return;
        case FrameSunken: {
            GpPenPtr dark = createPen(argbColor(0x000000, 160), width);
            gp::GdipDrawLine(graphics, dark.get(), x, y, right, y);
            gp::GdipDrawLine(graphics, dark.get(), x, y, x, bottom);
            GpPenPtr light = createPen(argbColor(0xFFFFFF, 245), width / 2);
            gp::GdipDrawLine(graphics, light.get(), x, bottom, right, bottom);
            gp::GdipDrawLine(graphics, light.get(), right, y, right, bottom);
            return;
        }
        case FrameRaised: {
            GpPenPtr light = createPen(argbColor(0xFFFFFF, 245), width / 2);
            gp::GdipDrawLine(graphics, light.get(), x, y, x + rect.Width - 2, y);
            gp::GdipDrawLine(graphics, light.get(), x, y, x, y + rect.Height - 2);
            GpPenPtr dark = createPen(argbColor(0x000000, 168), width);
            gp::GdipDrawLine(graphics, dark.get(), x, bottom, right, bottom);
            gp::GdipDrawLine(graphics, dark.get(), right, y, right, y + rect.Height - 2);
            return;
        }
        case FramePlain:
            drawRectangleWithPen(graphics, rect, argb.value_or(argbColor(0x646464)), width, false);
            return;
        case FrameDashed:
            drawRectangleWithPen(graphics, rect, argb.value_or(argbColor(0x000000, 120)), width,
                                 true);
            return;
        default:
            drawRectangleWithPen(graphics, rect, style, width, false);
            return;
    }
}

void drawLine(GpGraphics* graphics, ArgbColor argb, float x1, float y1, float x2, float y2,
              float width) {
    GpPenPtr pen = createPen(argb, width);
    gp::GdipDrawLine(graphics, pen.get(), x1, y1, x2, y2);
}

GpPenPtr createPen(ArgbColor argb, float width, Gdiplus::Unit unit) {
    GpPenPtr pen;
    gp::GdipCreatePen1(argb, width, unit, pen.put());
    return pen;
}

GpBrushPtr createSolidBrush(ArgbColor argb) {
    GpBrushPtr brush;
    gp::GdipCreateSolidFill(argb, asOut<Gdiplus::GpSolidFill>(brush.put()));
    return brush;
}

void drawImageWithOpacity(GpGraphics* graphics, GpImage* image, const RectF& rect, int alpha) {
    if (alpha >= 255) {
        gp::GdipDrawImageRect(graphics, image, rect.X, rect.Y, rect.Width, rect.Height);
        return;
    }
    GpImageAttributesPtr attributes = opacityAttributes(alpha);
    drawImagePart(graphics, image, rect, RectF(0, 0, rect.Width, rect.Height), attributes.get());
}

void drawImagePartWithOpacity(GpGraphics* graphics, GpImage* image, const RectF& dest,
                              const RectF& source, int alpha) {
    GpImageAttributesPtr attributes;
    if (alpha < 255) attributes = opacityAttributes(alpha < 0 ? 0 : alpha);
    drawImagePart(graphics, image, dest, source, attributes.get());
}

void drawImageNatural(GpGraphics* graphics, GpImage* image, const RectF& rect, bool centred) {
    if (!graphics || !image) return;
    const ImageSize size = imageSize(image);
    float x = trunc(rect.X), y = trunc(rect.Y);
    if (centred) {
        x = std::round(rect.X - (size.width - rect.Width) / 2);
        y = std::round(rect.Y - (size.height - rect.Height) / 2);
    }
    // Source and destination of equal size, so the image's resolution cannot rescale it.
    drawImagePart(graphics, image, RectF(x, y, size.width, size.height),
                  RectF(0, 0, size.width, size.height), nullptr);
}

void drawNineGrid(GpGraphics* graphics, GpImage* image, const RectF& dest, const RectF& centre,
                  int opacity) {
    if (!graphics || !image) return;
    const ImageSize size = imageSize(image);
    const float iw = size.width, ih = size.height;
    const float L = centre.X, T = centre.Y;
    const float R = iw - centre.X - centre.Width, B = ih - centre.Y - centre.Height;
    const float X = dest.X, Y = dest.Y, W = dest.Width, H = dest.Height;
    const float cw = centre.Width, ch = centre.Height;
    GpImageAttributesPtr attributes;
    if (opacity < 255) attributes = opacityAttributes(opacity < 0 ? 0 : opacity);

    struct Cell {
        RectF dest, source;
    };
    const Cell cells[9] = {
        {{X, Y, L, T}, {0, 0, L, T}},
        {{X + L, Y, W - L - R, T}, {L, 0, cw, T}},
        {{X + W - R, Y, R, T}, {iw - R, 0, R, T}},
        {{X, Y + T, L, H - T - B}, {0, T, L, ch}},
        {{X + L, Y + T, W - L - R, H - T - B}, {L, T, cw, ch}},
        {{X + W - R, Y + T, R, H - T - B}, {iw - R, T, R, ch}},
        {{X, Y + H - B, L, B}, {0, ih - B, L, B}},
        {{X + L, Y + H - B, W - L - R, B}, {L, ih - B, cw, B}},
        {{X + W - R, Y + H - B, R, B}, {iw - R, ih - B, R, B}},
    };
    auto whole = [](const RectF& r) {
        return RectF(trunc(r.X), trunc(r.Y), trunc(r.Width), trunc(r.Height));
    };
    for (const Cell& cell : cells)
        drawImagePart(graphics, image, whole(cell.dest), whole(cell.source), attributes.get());
}

GpImagePtr cropImage(GpImage* image, const RectF& rect) {
    GpImagePtr copy;
    if (!image) return copy;
    Gdiplus::PixelFormat format = kPixelFormat32bppArgb;
    gp::GdipGetImagePixelFormat(image, &format);
    gp::GdipCloneBitmapArea(rect.X, rect.Y, rect.Width, rect.Height, format,
                            reinterpret_cast<Gdiplus::GpBitmap*>(image), asBitmapOut(copy.put()));
    return copy;
}

int utf16Length(const char* text) {
    if (!text) return 0;
    const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) - 1;
    return units < 0 ? 0 : units;
}

bool measureText(GpGraphics* graphics, const wchar_t* text, Gdiplus::GpFont* font,
                 Gdiplus::GpStringFormat* format, int first, int length, const RectF& layoutRect,
                 RectF& bounds, GpRegionPtr* keptRegion) {
    const Gdiplus::CharacterRange range(first, length);
    gp::GdipSetStringFormatMeasurableCharacterRanges(format, 1, &range);
    GpRegionPtr region;
    gp::GdipCreateRegion(region.put());
    Gdiplus::GpRegion* regions[1] = {region.get()};
    const bool measured = gp::GdipMeasureCharacterRanges(graphics, text, -1, font, layoutRect,
                                                         format, 1, regions) == Gdiplus::Ok;
    gp::GdipGetRegionBounds(region.get(), graphics, &bounds);
    if (keptRegion) *keptRegion = std::move(region);
    return measured;
}

void layoutIconAndText(GpImage* icon, int layout, const RectF& area, const RectF& textSize,
                       float dx, float dy, float gap, RectF& textRect, RectF& iconRect) {
    const ImageSize size = imageSize(icon);
    const float iw = size.width, ih = size.height;
    const float tw = textSize.Width, th = textSize.Height;
    const float x = area.X, y = area.Y, W = area.Width, H = area.Height;
    auto place = [](RectF& r, float rx, float ry, float rw, float rh) {
        r = RectF(trunc(rx), trunc(ry), trunc(rw), trunc(rh));
    };
    switch (layout) {
        case IconLeftOfText:
            place(iconRect, dx + x + (W - (iw + gap + tw)) / 2, dy + y + (H - ih) / 2, iw, ih);
            place(textRect, iconRect.X + iconRect.Width + gap, dy + y + (H - th) / 2, tw + 2,
                  th + 2);
            return;
        case TextLeftOfIcon:
            place(textRect, dx + x + (W - (iw + gap + tw)) / 2, dy + y + (H - th) / 2, tw + 2,
                  th + 2);
            place(iconRect, textRect.X + tw + gap, dy + y + (H - ih) / 2, iw, ih);
            return;
        case IconAboveText:
            place(iconRect, dx + x + (W - iw) / 2, dy + y + (H - ih - gap - th) / 2, iw, ih);
            place(textRect, dx + x + (W - tw) / 2, iconRect.Y + iconRect.Height + gap, tw + 2,
                  th + 2);
            return;
        case IconAndTextCentred:
            place(iconRect, dx + x + (W - iw) / 2, dy + y + (H - ih) / 2, iw, ih);
            place(textRect, dx + x + (W - tw) / 2, dy + y + (H - th) / 2, tw + 2, th + 2);
            return;
        case IconAtLeftEdge:
            place(iconRect, dx + x, dy + y + (H - ih) / 2, iw, ih);
            place(textRect, iconRect.X + iconRect.Width + gap, dy + y + (H - th) / 2,
                  W - iw - gap - dx, th + 2);
            return;
        case TextAtLeftEdge:
            place(textRect, dx + x, dy + y + (H - th) / 2, W - iw - gap - dx, th + 2);
            place(iconRect, textRect.X + textRect.Width + gap, dy + y + (H - ih) / 2, iw, ih);
            return;
        case IconAtTopEdge:
            place(iconRect, dx + x + (W - iw) / 2, dy + y, iw, ih);
            place(textRect, dx + x + (W - tw) / 2, iconRect.Y + iconRect.Height + gap, tw + 5,
                  th + 2);
            return;
        default:
            return;
    }
}

void drawText(GpGraphics* graphics, const RectF& rect, const wchar_t* text, Gdiplus::GpFont* font,
              ArgbColor argb, Gdiplus::GpStringFormat* format, int effect, ArgbColor effectColor) {
    if (effectColor == 0)
        effectColor = isDark(argb) ? argbColor(0xFFFFFF, 85) : argbColor(0x000000, 75);
    const RectF whole(trunc(rect.X), trunc(rect.Y), trunc(rect.Width), trunc(rect.Height));
    if (effect == TextGlow) drawTextGlow(graphics, whole, text, font, format, effectColor, 3.0f);
    if (effect == TextOutline) drawTextGlow(graphics, whole, text, font, format, effectColor, 1.0f);
    GpBrushPtr brush = createSolidBrush(argb);
    gp::GdipDrawString(graphics, text, -1, font, &whole, format, brush.get());
}

void drawTextGlow(GpGraphics* graphics, const RectF& rect, const wchar_t* text,
                  Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format, ArgbColor argb,
                  float scale) {
    if (!graphics || scale <= 0) return;
    const int width1 = static_cast<int>(rect.Width + 7),
              height1 = static_cast<int>(rect.Height + 7);
    Canvas spread = makeCanvas(width1, height1);
    if (!spread.graphics) return;
    gp::GdipSetSmoothingMode(spread.graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(spread.graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    GpBrushPtr brush = createSolidBrush(argb);
    // A plus-shaped spread of one pixel around (4, 4).
    const float offsets[5][2] = {{5, 4}, {3, 4}, {4, 3}, {4, 5}, {4, 4}};
    for (const auto& o : offsets) {
        const RectF layout(o[0], o[1], rect.Width, rect.Height);
        gp::GdipDrawString(spread.graphics.get(), text, -1, font, &layout, format, brush.get());
    }

    const int width2 = static_cast<int>(width1 / scale),
              height2 = static_cast<int>(height1 / scale);
    Canvas shrunk = makeCanvas(width2, height2);
    if (!shrunk.graphics) return;
    gp::GdipSetSmoothingMode(shrunk.graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetCompositingQuality(shrunk.graphics.get(), Gdiplus::CompositingQualityHighQuality);
    gp::GdipSetInterpolationMode(shrunk.graphics.get(),
                                 Gdiplus::InterpolationModeHighQualityBilinear);
    const RectF small(0, 0, static_cast<float>(width2), static_cast<float>(height2));
    drawImagePart(shrunk.graphics.get(), spread.bitmap.get(), small,
                  RectF(0, 0, static_cast<float>(width1), static_cast<float>(height1)), nullptr);
    drawImagePart(graphics, shrunk.bitmap.get(),
                  RectF(rect.X - 4, rect.Y - 4, rect.Width + 7, rect.Height + 7), small, nullptr);
}

bool backgroundIsDark(GpImage* backgroundImage, COLORREF themeColor, const RectF& rect) {
    if (!backgroundImage) return isDark(argbColor(themeColor));
    const float fractions[3] = {0.2f, 0.5f, 0.8f};
    int dark = 0;
    for (float fy : fractions) {
        for (float fx : fractions) {
            const int px = static_cast<int>(rect.X + fx * rect.Width);
            const int py = static_cast<int>(rect.Y + fy * rect.Height);
            if (isDark(getPixel(backgroundImage, px, py))) ++dark;
        }
    }
    return dark > 4;
}

ArgbColor getPixel(Gdiplus::GpBitmap* bitmap, int x, int y) {
    Gdiplus::ARGB argb = 0;
    gp::GdipBitmapGetPixel(bitmap, x, y, &argb);
    return argb;
}

void setClipRect(GpGraphics* graphics, const RectF& rect, Gdiplus::CombineMode mode) {
    gp::GdipSetClipRect(graphics, rect.X, rect.Y, rect.Width, rect.Height, mode);
}

void setClipPath(GpGraphics* graphics, Gdiplus::GpPath* path, Gdiplus::CombineMode mode) {
    gp::GdipSetClipPath(graphics, path, mode);
}

void setClipRegion(GpGraphics* graphics, Gdiplus::GpRegion* region, Gdiplus::CombineMode mode) {
    gp::GdipSetClipRegion(graphics, region, mode);
}

void resetClip(GpGraphics* graphics) {
    gp::GdipResetClip(graphics);
}

GpRegionPtr regionFromHrgn(HRGN region) {
    GpRegionPtr result;
    gp::GdipCreateRegionHrgn(region, result.put());
    return result;
}

GpPathPtr createPath(Gdiplus::FillMode fillMode) {
    GpPathPtr path;
    gp::GdipCreatePath(fillMode, path.put());
    return path;
}

bool addEllipse(Gdiplus::GpPath* path, const RectF& rect) {
    return gp::GdipAddPathEllipse(path, rect.X, rect.Y, rect.Width, rect.Height) == Gdiplus::Ok;
}

void updateLayered(HWND hostWindow, HDC sourceDc, SIZE size) {
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hostWindow, nullptr, nullptr, &size, sourceDc, &origin, 0, &blend,
                        ULW_ALPHA);
}

}  // namespace dui
