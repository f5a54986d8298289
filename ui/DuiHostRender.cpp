// Full frames of a host: background, frame, shadow and control tree; presentation, fade-in,
// resizing and the caption layout.
#include <dwmapi.h>

#include <algorithm>
#include <vector>

#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

GpRegionPtr roundRectRegion(int left, int top, int right, int bottom, int corner) {
    RegionHandle region(CreateRoundRectRgn(left, top, right, bottom, corner, corner));
    return regionFromHrgn(region.get());
}

void CALLBACK fadeTimerProcedure(HWND window, UINT message, UINT_PTR timerId, DWORD time) {
    DuiHost* host = hostOfWindow(window);
    if (!host || timerId != host->self) {
        KillTimer(window, timerId);
        return;
    }
    host->fadeTimerProc(window, message, timerId, time);
}

}  // namespace

void DuiHost::render(std::span<const std::uint8_t> imageBytes, bool loadImage, int color,
                     bool colorGiven, int presentMode, bool noRefresh) {
    Gdiplus::GpGraphics* g = composeGraphics();
    if (!window || !g) return;
    int w = size.cx, h = size.cy;
    busy = 1;

    DuiHost* source =
        skinSourceWindow && IsWindow(skinSourceWindow) ? hostOfWindow(skinSourceWindow) : nullptr;
    if (source && source != this) {
        borrowedImage = source->currentBackgroundImage();
        themeColor = source->themeColor;
    } else {
        if (loadImage) {
            borrowedImage = nullptr;
            backgroundImage = loadImageFromBytes(imageBytes, false);
            themeColor = meanColor(backgroundImage.get());
        }
        if (colorGiven && color != -1) themeColor = static_cast<COLORREF>(color);
    }

    if (presentMode == 1 && isLayered()) {
        fade.create(nullptr, w, h, false);
        gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
        BitBlt(fade.dc(), 0, 0, w, h, composeDC(), 0, 0, SRCCOPY);
    }
    gp::GdipGraphicsClear(g, 0);

    Gdiplus::GpImage* image = currentBackgroundImage();
    RectF whole(0, 0, static_cast<float>(w), static_cast<float>(h));
    if (frameStyle_ == 1) {
        if (image) {
            if (IsRectEmpty(&nineGridMargins)) {
                drawImageNatural(g, image, whole, false);
            } else {
                const RECT& m = nineGridMargins;
                drawNineGrid(g, image, whole,
                             RectF(static_cast<float>(m.left), static_cast<float>(m.top),
                                   static_cast<float>(m.right - m.left),
                                   static_cast<float>(m.bottom - m.top)));
            }
        }
    } else {
        GpRegionPtr backgroundClip = roundRectRegion(6, 6, w - 5, h - 5, frameStyle_ == 0 ? 0 : 4);
        setClipRegion(g, backgroundClip.get(), Gdiplus::CombineModeReplace);
        if (image) {
            UINT iw = 0, ih = 0;
            gp::GdipGetImageWidth(image, &iw);
            gp::GdipGetImageHeight(image, &ih);
            float fw = static_cast<float>(iw), fh = static_cast<float>(ih);
            gp::GdipGraphicsClear(g, argbColor(themeColor, 255));
            if (backgroundMode == 1) {
                gp::GdipDrawImageRect(g, image, 5, 5, static_cast<float>(w - 10),
                                      static_cast<float>(h - 10));
            } else if (backgroundMode == 2) {
                float cx = static_cast<float>((w - static_cast<int>(iw)) / 2);
                float cy = static_cast<float>((h - static_cast<int>(ih)) / 2);
                drawImageNatural(g, image, RectF(cx, cy, fw, fh), false);
                if (fadeImageEdges)
                    fadeEdges(g, RectF(cx - 1, cy - 1, fw + 1, fh + 1), themeColor, true, true,
                              true, true);
            } else if (backgroundMode == 0) {
                drawImageNatural(g, image, RectF(5, 5, fw, fh), false);
                if (fadeImageEdges)
                    fadeEdges(g, RectF(0, 0, fw, fh), themeColor, false, false, true, true);
            }
            if (isLayered()) {
                // Re-draw the opaque background at the window's alpha.
                gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
                Gdiplus::GpBitmap* wrapped = nullptr;
                gp::GdipCreateBitmapFromHBITMAP(compose.bitmap(), nullptr, &wrapped);
                GpImagePtr copy(wrapped);
                gp::GdipGraphicsClear(g, 0);
                if (copy) drawImageWithOpacity(g, copy.get(), whole, windowAlpha);
            }
        } else {
            gp::GdipGraphicsClear(g, argbColor(themeColor, isLayered() ? windowAlpha : 255));
        }
    }

    if (paintHandler) {
        PaintHandler handler = paintHandler;
        handler(window, g, w, h);
    }

    if (frameStyle_ != 1) {
        RectF r(6, 6, static_cast<float>(w - 12), static_cast<float>(h - 12));
        RectF inner(r.X + 1, r.Y + 1, r.Width - 2, r.Height - 2);
        if (frameStyle_ != 0) {
            drawRoundRect(g, r, 7, argbColor(0x606060, 204), Gdiplus::DashStyleSolid, 1);
            drawRoundRect(g, inner, 6, argbColor(0xFFFFFF, 102), Gdiplus::DashStyleSolid, 1);
        } else {
            drawFrame(g, r, argbColor(0x606060, 204));
            drawFrame(g, inner, argbColor(0xFFFFFF, 102));
        }
        resetClip(g);
        if (!isLayered())
            setWindowShape(window, w, h, frameStyle_);
        else if (captionFlags & CaptionShadow)
            drawShadow(g, RectF(5, 5, static_cast<float>(w - 10), static_cast<float>(h - 10)),
                       frameStyle_, shadowColor);
    }

    gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
    BitBlt(backgroundDC(), 0, 0, w, h, composeDC(), 0, 0, SRCCOPY);
    if (frameStyle_ != 1) {
        clipRegion = roundRectRegion(7, 7, w - 6, h - 6, frameStyle_ == 0 ? 0 : 3);
        setClipRegion(g, clipRegion.get(), Gdiplus::CombineModeReplace);
    }
    redrawQueue.init(window, this, g);
    layoutCaption();
    drawControlTree(firstControl, g, !noRefresh);
    if (frameStyle_ != 1) resetClip(g);
    gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
    setBusy(0);

    if (blurBehind && isLayered()) applyBlur(window, 6, 6, w - 5, h - 5, 6, frameStyle_, 0);
    if (presentMode == 0) {
        presentArea(window, this, whole);
    } else if (presentMode == 1) {
        busy = 1;
        fadeAlpha = 0;
        SetTimer(window, self, 50, fadeTimerProcedure);
    }
}

void DuiHost::drawControlTree(ControlHandle first, Gdiplus::GpGraphics* graphics, bool refresh) {
    for (ControlHandle handle = first; handle;) {
        DuiControl* c = controlFromHandle(handle);
        if (!c) break;
        if (c->visible() == 1) {
            if (refresh) dispatchMessage(handle, Refresh, 0, 0);
            if (!(c = controlFromHandle(handle))) break;
            int alpha = c->opacity();
            if (c->disabled() == 1 && dispatchMessage(handle, QueryOwnDisabledLook, 0, 1) == -1)
                alpha = static_cast<int>(alpha * 0.5);
            if (!(c = controlFromHandle(handle))) break;
            RectF bounds = c->currentBounds();
            if (c->canvas()) drawImageWithOpacity(graphics, c->canvas(), bounds, alpha);
            if (c->firstChild()) {
                // Saved as a region so the rounded control clip survives the children.
                GpRegionPtr saved;
                gp::GdipCreateRegion(saved.put());
                gp::GdipGetClip(graphics, saved.get());
                setClipRect(graphics, bounds, Gdiplus::CombineModeIntersect);
                drawControlTree(c->firstChild(), graphics, refresh);
                setClipRegion(graphics, saved.get(), Gdiplus::CombineModeReplace);
            }
        }
        handle = c->nextSibling();
    }
}

void DuiHost::present(std::optional<RectF> rect) {
    presentArea(
        window, this,
        rect.value_or(RectF(0, 0, static_cast<float>(size.cx), static_cast<float>(size.cy))));
}

void DuiHost::fadeTimerProc(HWND target, UINT, UINT_PTR, DWORD) {
    int w = size.cx, h = size.cy;
    HDC destination = isLayered() ? fade.dc() : windowHdc();
    if (isLayered() && fade) updateLayered(target, fade.dc(), size);
    fadeAlpha = std::min(fadeAlpha + 51, 255);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(fadeAlpha), 0};
    if (destination) GdiAlphaBlend(destination, 0, 0, w, h, composeDC(), 0, 0, w, h, blend);
    if (fadeAlpha < 255) return;
    KillTimer(target, self);
    fade.release();
    if (isLayered()) updateLayered(target, composeDC(), size);
    setBusy(0);
}

void DuiHost::onSize(HWND target, WPARAM sizeKind, LPARAM) {
    if (sizeKind == SIZE_MINIMIZED || !previousWndProc) return;
    RECT rect{};
    GetWindowRect(target, &rect);
    SIZE now{rect.right - rect.left, rect.bottom - rect.top};
    if (now.cx == size.cx && now.cy == size.cy) return;
    size = now;
    if (resizeHandler) {
        ResizeHandler handler = resizeHandler;
        handler(target, now.cx, now.cy);
    }
    compose.create(nullptr, now.cx, now.cy, true);
    background.create(windowHdc(), now.cx, now.cy, false);
    ensureScratchSurface(now.cx, now.cy);
    render({}, false, static_cast<int>(themeColor), true, 0, true);
}

void DuiHost::layoutCaption() {
    if (!captionFlags) return;
    int x = size.cx - 5;
    if (captionFlags & CaptionClose) x -= 12;
    for (auto& button : captionButtons) {
        x -= 28;
        if (button) button->setBounds(x, 7, std::nullopt, std::nullopt, false);
    }
    if ((captionFlags & CaptionTitle) && titleLabel) {
        int a = (captionFlags & CaptionIcon) ? 28 : 11;
        titleLabel->setBounds(a, 10, x - a, 20, false);
    }
}

COLORREF meanColor(Gdiplus::GpImage* image) {
    if (!image) return 0;
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(image, &w);
    gp::GdipGetImageHeight(image, &h);
    HBITMAP converted = nullptr;
    gp::GdipCreateHBITMAPFromBitmap(reinterpret_cast<Gdiplus::GpBitmap*>(image), &converted, 0);
    BitmapHandle bitmap(converted);
    if (!bitmap || w == 0 || h == 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(w);
    info.bmiHeader.biHeight = static_cast<LONG>(h);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    ScreenDc screen;
    if (!GetDIBits(screen.get(), bitmap.get(), 0, h, pixels.data(), &info, DIB_RGB_COLORS))
        return 0;
    unsigned long long blue = 0, green = 0, red = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        blue += pixels[i];
        green += pixels[i + 1];
        red += pixels[i + 2];
    }
    unsigned long long n = static_cast<unsigned long long>(w) * h;
    return RGB(red / n, green / n, blue / n);
}

void fadeEdges(Gdiplus::GpGraphics* graphics, const RectF& rect, COLORREF color, bool top,
               bool left, bool bottom, bool right, int length, int offset) {
    float x = rect.X + offset, y = rect.Y + offset, rw = rect.Width, rh = rect.Height;
    float o = static_cast<float>(offset);
    float hx = static_cast<float>(static_cast<int>(rw - length > 1e-7f ? length : rw / 2));
    float hy = static_cast<float>(static_cast<int>(rh - length > 1e-7f ? length : rh / 2));
    ArgbColor opaque = argbColor(color, 255);
    ArgbColor clear = argbColor(color, 0);
    if (top) fillGradientRect(graphics, RectF(x - o, y - o, rw, hy), opaque, clear, 1);
    if (left) fillGradientRect(graphics, RectF(x - o, y - o, hx, rh), opaque, clear, 0);
    if (bottom) fillGradientRect(graphics, RectF(x, y + rh - hy, rw, hy + 1), clear, opaque, 1);
    if (right) fillGradientRect(graphics, RectF(x + rw - hx, y, hx + 1, rh), clear, opaque, 0);
}

void drawShadow(Gdiplus::GpGraphics* graphics, RectF rect, int frameStyle, int color) {
    static constexpr float kSquare[] = {1, 4, 7, 11};
    static constexpr float kRounded[] = {10, 12, 15, 18};
    static constexpr int kAlpha[] = {45, 25, 10, 5};
    COLORREF rgb = color == -1 ? 0 : static_cast<COLORREF>(color);
    for (int k = 0; k < 4; ++k) {
        float d = frameStyle == 0 ? kSquare[k] : kRounded[k];
        drawRoundRect(graphics, rect, d, argbColor(rgb, kAlpha[k]), Gdiplus::DashStyleSolid, 1);
        rect = RectF(rect.X - 1, rect.Y - 1, rect.Width + 2, rect.Height + 2);
    }
}

void applyBlur(HWND window, int left, int top, int right, int bottom, int corner, int frameStyle,
               int alpha) {
    if (toolkit().osMajorVersion != 6 || frameStyle == 1 || alpha == -1) return;
    BOOL composition = FALSE;
    if (FAILED(DwmIsCompositionEnabled(&composition)) || !composition) return;
    RegionHandle region(CreateRoundRectRgn(left, top, right, bottom, corner, corner));
    DWM_BLURBEHIND blur{};
    blur.dwFlags = DWM_BB_ENABLE | DWM_BB_BLURREGION;
    blur.fEnable = TRUE;
    blur.hRgnBlur = region.get();
    DwmEnableBlurBehindWindow(window, &blur);
}

void setWindowShape(HWND window, int width, int height, int frameStyle) {
    int i = IsZoomed(window) ? 5 : 6;
    int e = frameStyle == 0 ? 0 : 5;
    RegionHandle region(CreateRoundRectRgn(i, i, width - i + 1, height - i + 1, e, e));
    // On success the system owns the region.
    if (region && SetWindowRgn(window, region.get(), TRUE)) region.release();
}

}  // namespace dui
