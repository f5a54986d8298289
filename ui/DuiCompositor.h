// Paint passes of controls, repaint transitions (cross-fade and slides) and the re-composition of
// dirty areas of a host window from its background and the canvases of the controls above it.
#pragma once

#include <optional>

#include "ui/DuiMessages.h"
#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"

namespace dui {

class DuiControl;
class DuiHost;

// One paint pass of a control, filled by beginPaint.
struct PaintContext {
    HWND hostWindow = nullptr;
    Gdiplus::GpGraphics* graphics = nullptr;  // the control's canvas graphics, not owned
    RectF area{};                             // in canvas coordinates
    int clear = 0;  // non-zero: the area is cleared and the pass ends with a screen update
    // Surfaces, none owned.
    DuiHost* host = nullptr;
    HDC windowDC = nullptr;
    HDC composeDC = nullptr;
    Gdiplus::GpGraphics* composeGraphics = nullptr;
    Gdiplus::GpImage* canvas = nullptr;
};

// Everything needed to draw one frame of a control's transition; nothing owned.
struct FrameDescription {
    HDC composeDC;
    Gdiplus::GpGraphics* composeGraphics;
    HDC scratchDC;
    Gdiplus::GpGraphics* scratchGraphics;
    Gdiplus::GpImage* canvas;
    Gdiplus::GpImage* snapshot;
    RectF bounds;
    RectF clip;  // visible clip bounds of the composition when the control was reached
    int step;
    int steps;
};

// What a control sees with TransitionFrame (lParam): the description up to the clip's origin.
struct TransitionFrameRecord {
    HDC composeDC;
    Gdiplus::GpGraphics* composeGraphics;
    HDC scratchDC;
    Gdiplus::GpGraphics* scratchGraphics;
    Gdiplus::GpImage* canvas;
    Gdiplus::GpImage* snapshot;
    float x, y, width, height;
    float clipX, clipY;
};

// Opens a paint pass over area (default: the whole canvas); 0 when the control has no host.
int beginPaint(DuiControl& control, PaintContext& paint, std::optional<RectF> area, int clear);
// Closes the pass: shows the new look at once or starts its transition.
void endPaint(DuiControl& control, PaintContext& paint);

// Rebuilds area of the host's frame from its background and controls; presents when asked.
void compositeArea(HWND hostWindow, const RectF& area, DuiHost* host,
                   Gdiplus::GpGraphics* composeGraphics, int present);
void compositeControls(DuiHost* host, ControlHandle first, const RectF& area,
                       Gdiplus::GpGraphics* graphics);
void drawTransitionFrame(DuiControl& control, const FrameDescription& frame);
// Pushes area (a layered window: the whole window) of the composed frame to the screen.
void presentArea(HWND hostWindow, DuiHost* host, const RectF& area);

// Work done by compositeArea since start: read by the benchmark, never by program logic.
struct CompositeStats {
    long long calls = 0;
    long long pixels = 0;        // area composed, in whole pixels
    long long ticks = 0;         // performance-counter ticks spent composing and presenting
    long long presentTicks = 0;  // the part of them spent presenting
};
inline CompositeStats compositeStats;

// Whether two rectangles overlap by more than 1e-7 (touching edges do not count).
bool overlapsStrictly(const RectF& a, const RectF& b);

}  // namespace dui
