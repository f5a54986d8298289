#include "ui/DuiCompositor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "ui/DuiControl.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiSurface.h"

namespace dui {

namespace {

constexpr float kTolerance = 1e-7f;

bool inTransition(DuiControl& c) {
    return c.transitionInterval() != 0 && c.transitionSteps() != 0 &&
           c.transitionStep() != c.transitionSteps();
}

void flush(Gdiplus::GpGraphics* graphics) {
    if (graphics) gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync);
}

// Draws image at its own size with its top-left corner at (x, y).
void drawAtOwnSize(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, float x, float y) {
    if (!image) return;
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(image, &w);
    gp::GdipGetImageHeight(image, &h);
    gp::GdipDrawImageRect(graphics, image, x, y, static_cast<float>(w), static_cast<float>(h));
}

// Whether a canvas drawn over bounds lands one pixel on one pixel: no scaling, no blended edges.
bool drawnOneToOne(const RectF& bounds, Gdiplus::GpImage* canvas) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(canvas, &width);
    gp::GdipGetImageHeight(canvas, &height);
    return bounds.X == std::floor(bounds.X) && bounds.Y == std::floor(bounds.Y) &&
           bounds.Width == static_cast<float>(width) && bounds.Height == static_cast<float>(height);
}

// Draws the part of a control's canvas that falls inside area. GDI+ costs as much as the
// destination rectangle even where the clip hides it, so a small redraw must not draw whole
// canvases of the large panels beneath it.
void drawCanvasPart(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* canvas, const RectF& bounds,
                    const RectF& area, int alpha) {
    const bool wholePixels = drawnOneToOne(bounds, canvas);
    const float left = std::max(bounds.X, std::floor(area.X));
    const float top = std::max(bounds.Y, std::floor(area.Y));
    const float right = std::min(bounds.X + bounds.Width, std::ceil(area.X + area.Width));
    const float bottom = std::min(bounds.Y + bounds.Height, std::ceil(area.Y + area.Height));
    if (!wholePixels || (left == bounds.X && top == bounds.Y &&
                         right == bounds.X + bounds.Width && bottom == bounds.Y + bounds.Height)) {
        drawImageWithOpacity(graphics, canvas, bounds, alpha);
        return;
    }
    if (right <= left || bottom <= top) return;
    const RectF dest(left, top, right - left, bottom - top);
    drawImagePartWithOpacity(graphics, canvas, dest,
                             RectF(left - bounds.X, top - bounds.Y, dest.Width, dest.Height),
                             alpha);
}

// Whether every pixel of a 32-bit ARGB image has full alpha.
bool isOpaque(Gdiplus::GpImage* image) {
    if (!image) return false;
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image, &width);
    gp::GdipGetImageHeight(image, &height);
    Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data{};
    auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(image);
    if (gp::GdipBitmapLockBits(bitmap, &whole, Gdiplus::ImageLockModeRead, kPixelFormat32bppArgb,
                               &data) != Gdiplus::Ok)
        return false;
    bool opaque = true;
    for (UINT y = 0; y < data.Height && opaque; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride);
        for (UINT x = 0; x < data.Width; ++x)
            if (row[x] < 0xFF000000u) {
                opaque = false;
                break;
            }
    }
    gp::GdipBitmapUnlockBits(bitmap, &data);
    return opaque;
}

// Whether c, drawn as it is now, hides everything beneath it inside area.
bool hidesAreaBeneath(DuiControl& c, const RectF& area) {
    if (!c.canvasOpaque() || c.visible() != 1 || c.disabled() || inTransition(c) ||
        c.opacity() < 255)
        return false;
    const RectF& b = c.currentBounds();
    return drawnOneToOne(b, c.canvas()) && b.X <= std::floor(area.X) && b.Y <= std::floor(area.Y) &&
           b.X + b.Width >= std::ceil(area.X + area.Width) &&
           b.Y + b.Height >= std::ceil(area.Y + area.Height);
}

// The top-level control to start composing area from: the last one hiding all of area, or the
// first control when none does.
ControlHandle firstShowingIn(DuiHost* host, const RectF& area) {
    ControlHandle start = host->firstControl;
    for (ControlHandle handle = host->firstControl; handle;) {
        DuiControl* c = controlFromHandle(handle);
        if (!c) break;
        if (hidesAreaBeneath(*c, area)) start = handle;
        handle = c->nextSibling();
    }
    return start;
}

}  // namespace

bool overlapsStrictly(const RectF& a, const RectF& b) {
    return a.X < b.X + b.Width - kTolerance && a.X + a.Width > b.X + kTolerance &&
           a.Y + a.Height > b.Y + kTolerance && a.Y < b.Y + b.Height - kTolerance;
}

int beginPaint(DuiControl& control, PaintContext& paint, std::optional<RectF> area, int clear) {
    RectF whole(0, 0, control.bounds_.Width, control.bounds_.Height);
    DuiHost* host = control.host_;
    if (!control.hostWindow_ || !host) return 0;
    paint.hostWindow = control.hostWindow_;
    paint.graphics = control.canvasGraphics_.get();
    paint.area = area.value_or(whole);
    paint.clear = clear;
    paint.host = host;
    paint.windowDC = host->windowHdc();
    paint.composeDC = host->composeDC();
    paint.composeGraphics = host->composeGraphics();
    paint.canvas = control.canvas_.get();

    if (clear) {
        control.snapshot_.reset();
        if (!host->busy && control.transitionSteps_ && control.transitionInterval_) {
            // Put the finished look of any running transition on screen; it is the old image
            // of the next one.
            KillTimer(control.hostWindow_, control.handle_ + 1);
            control.transitionStep_ = control.transitionSteps_;
            compositeArea(control.hostWindow_, control.bounds_, host, host->composeGraphics(), 1);
            if (control.canvas_) {
                Gdiplus::GpBitmap* copy = nullptr;
                gp::GdipCloneBitmapArea(paint.area.X, paint.area.Y, paint.area.Width,
                                        paint.area.Height, kPixelFormat32bppArgb,
                                        asBitmap(control.canvas_), &copy);
                control.snapshot_.reset(copy);
            }
        }
        if (paint.graphics) {
            setClipRect(paint.graphics, paint.area, Gdiplus::CombineModeReplace);
            gp::GdipGraphicsClear(paint.graphics, 0);
            resetClip(paint.graphics);
        }
    }
    control.onBeginPaint(paint);
    return 1;
}

void endPaint(DuiControl& control, PaintContext& paint) {
    control.onEndPaint(paint);
    control.canvasOpaque_ = isOpaque(control.canvas_.get());
    if (!paint.clear || !control.refreshEnabled_ || !control.visible_) return;
    if (!control.transitionInterval_ || !control.transitionSteps_) {
        RectF area = control.bounds_;
        SendMessageW(control.hostWindow_, RedrawArea, 0, reinterpret_cast<LPARAM>(&area));
        return;
    }
    ControlHandle handle = control.handle_;
    HWND window = control.hostWindow_;
    UINT interval = static_cast<UINT>(control.transitionInterval_);
    control.transitionStep_ = 0;
    dispatchMessage(handle, TransitionStarted, 0, 0);
    if (controlFromHandle(handle) == &control)
        SetTimer(window, handle + 1, interval, transitionTimerProc);
}

void compositeArea(HWND hostWindow, const RectF& area, DuiHost* host,
                   Gdiplus::GpGraphics* composeGraphics, int present) {
    if (!host || host->busy || !composeGraphics) return;
    if (host->redrawsHeld) {
        host->collectHeldArea(area);
        return;
    }
    LARGE_INTEGER started{}, ended{};
    QueryPerformanceCounter(&started);
    // A composition may start inside another one (a mode 1 redraw asked while composing): keep
    // the outer clip aside and give it back afterwards.
    GpRegionPtr outerClip;
    gp::GdipCreateRegion(outerClip.put());
    gp::GdipGetClip(composeGraphics, outerClip.get());
    if (host->clipRegion)
        setClipRegion(composeGraphics, host->clipRegion.get(), Gdiplus::CombineModeReplace);
    else
        resetClip(composeGraphics);
    setClipRect(composeGraphics, area, Gdiplus::CombineModeIntersect);
    BitBlt(host->composeDC(), static_cast<int>(area.X), static_cast<int>(area.Y),
           static_cast<int>(area.Width), static_cast<int>(area.Height), host->backgroundDC(),
           static_cast<int>(area.X), static_cast<int>(area.Y), SRCCOPY);
    compositeControls(host, firstShowingIn(host, area), area, composeGraphics);
    setClipRegion(composeGraphics, outerClip.get(), Gdiplus::CombineModeReplace);
    flush(composeGraphics);
    LARGE_INTEGER composed{};
    QueryPerformanceCounter(&composed);
    if (present) presentArea(hostWindow, host, area);
    QueryPerformanceCounter(&ended);
    compositeStats.presentTicks += ended.QuadPart - composed.QuadPart;
    ++compositeStats.calls;
    compositeStats.pixels +=
        static_cast<long long>(area.Width) * static_cast<long long>(area.Height);
    compositeStats.ticks += ended.QuadPart - started.QuadPart;
}

void compositeControls(DuiHost* host, ControlHandle first, const RectF& area,
                       Gdiplus::GpGraphics* graphics) {
    for (ControlHandle handle = first; handle;) {
        DuiControl* c = controlFromHandle(handle);
        if (!c) break;
        ControlHandle next = c->nextSibling();
        if (c->visible() != 1 || !overlapsStrictly(area, c->currentBounds())) {
            handle = next;
            continue;
        }
        RectF bounds = c->currentBounds();

        if (c->disabled()) {
            int alpha = c->opacity();
            if (dispatchMessage(handle, QueryOwnDisabledLook, 0, 1) == -1)
                alpha = static_cast<int>(alpha * 0.5);
            if ((c = controlFromHandle(handle)) && c->canvas())
                drawCanvasPart(graphics, c->canvas(), bounds, area, alpha);
        } else if (!inTransition(*c)) {
            if (c->canvas()) drawCanvasPart(graphics, c->canvas(), bounds, area, c->opacity());
        } else {
            RectF clipBounds;
            gp::GdipGetVisibleClipBounds(graphics, &clipBounds);
            Surface& scratch = scratchSurface();
            FrameDescription frame{host->composeDC(),
                                   graphics,
                                   scratch.dc(),
                                   scratch.graphics(),
                                   c->canvas(),
                                   c->snapshot(),
                                   bounds,
                                   clipBounds,
                                   c->transitionStep(),
                                   c->transitionSteps()};
            TransitionFrameRecord record{
                frame.composeDC, frame.composeGraphics, frame.scratchDC, frame.scratchGraphics,
                frame.canvas,    frame.snapshot,        bounds.X,        bounds.Y,
                bounds.Width,    bounds.Height,         clipBounds.X,    clipBounds.Y};
            if (dispatchMessage(handle, TransitionFrame, 0, reinterpret_cast<LPARAM>(&record)) <
                    1 &&
                (c = controlFromHandle(handle)))
                drawTransitionFrame(*c, frame);
        }
        c = controlFromHandle(handle);
        if (c && c->firstChild()) {
            // Children show only inside their parent. The clip is saved as a region: its
            // bounding box would lose the rounded corners.
            GpRegionPtr savedClip;
            gp::GdipCreateRegion(savedClip.put());
            gp::GdipGetClip(graphics, savedClip.get());
            setClipRect(graphics, bounds, Gdiplus::CombineModeIntersect);
            compositeControls(host, c->firstChild(), area, graphics);
            setClipRegion(graphics, savedClip.get(), Gdiplus::CombineModeReplace);
        }
        handle = c ? c->nextSibling() : next;
    }
}

void drawTransitionFrame(DuiControl& control, const FrameDescription& frame) {
    int n = frame.steps;
    int k = frame.step;
    if (n == 0) return;
    const RectF& b = frame.bounds;
    int kind = control.transitionKind();
    float dy = static_cast<float>(k * static_cast<int>(b.Height / n));
    float dx = static_cast<float>(k * static_cast<int>(b.Width / n));
    Gdiplus::GpGraphics* g = frame.composeGraphics;
    switch (kind) {
        case SlideDown:
            drawAtOwnSize(g, frame.snapshot, b.X, b.Y + dy);
            drawAtOwnSize(g, frame.canvas, b.X, b.Y + dy - b.Height);
            break;
        case SlideUp:
            drawAtOwnSize(g, frame.snapshot, b.X, b.Y - dy);
            drawAtOwnSize(g, frame.canvas, b.X, b.Y - dy + b.Height);
            break;
        case SlideRight:
            drawAtOwnSize(g, frame.snapshot, b.X + dx, b.Y);
            drawAtOwnSize(g, frame.canvas, b.X + dx - b.Width, b.Y);
            break;
        case SlideLeft:
            drawAtOwnSize(g, frame.snapshot, b.X - dx, b.Y);
            drawAtOwnSize(g, frame.canvas, b.X - dx + b.Width, b.Y);
            break;
        case CrossFade: {
            if (!frame.scratchDC || !frame.scratchGraphics) return;
            const RectF& c = frame.clip;
            int cx = static_cast<int>(c.X), cy = static_cast<int>(c.Y);
            int cw = static_cast<int>(c.Width), ch = static_cast<int>(c.Height);
            int opacity = control.opacity();
            flush(g);
            BitBlt(frame.scratchDC, cx, cy, cw, ch, frame.composeDC, cx, cy, SRCCOPY);
            if (frame.snapshot) drawImageWithOpacity(g, frame.snapshot, b, opacity);
            if (frame.canvas) drawImageWithOpacity(frame.scratchGraphics, frame.canvas, b, opacity);
            flush(g);
            flush(frame.scratchGraphics);
            BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(opacity * k / n), 0};
            GdiAlphaBlend(frame.composeDC, cx, cy, cw, ch, frame.scratchDC, cx, cy, cw, ch, blend);
            break;
        }
        default:
            break;  // unknown kinds show nothing of the control during the frames
    }
}

void presentArea(HWND hostWindow, DuiHost* host, const RectF& area) {
    if (!host || host->busy || host->redrawsHeld) return;
    flush(host->composeGraphics());
    if (!host->isLayered()) {
        BitBlt(host->windowHdc(), static_cast<int>(area.X), static_cast<int>(area.Y),
               static_cast<int>(area.Width), static_cast<int>(area.Height), host->composeDC(),
               static_cast<int>(area.X), static_cast<int>(area.Y), SRCCOPY);
    } else {
        updateLayered(hostWindow, host->composeDC(), host->size);
    }
}

}  // namespace dui
