#include "ui/DuiGlowButton.h"

#include "resources/Embedded.h"
#include "ui/DuiDraw.h"
#include "ui/DuiImageLoader.h"

namespace dui {

namespace {

constexpr UINT kGlowInterval = 100;
constexpr float kGlowStride = 6.0f;
constexpr float kTolerance = 1e-7f;
constexpr float kGlowRadius = 18.0f;

// x of the skin frame a state shows.
float skinFrameX(VisualState state) {
    switch (state) {
        case VisualState::Hover:
        case VisualState::Focused:
            return 14;
        case VisualState::Pressed:
            return 28;
        default:
            return 0;
    }
}

}  // namespace

Gdiplus::GpImage* glowButtonSkin() {
    static GpImagePtr skin = loadImageFromBytes(res::glow_button_png, false);
    return skin.get();
}

DuiGlowButton::~DuiGlowButton() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

int DuiGlowButton::messageHook(ControlHandle handle, UINT code, WPARAM, LPARAM) {
    switch (code) {
        case WM_CREATE:
            glowButtonSkin();
            kind_ = GlowButton;
            glowPhase_ = 1;
            return -1;
        case WM_DESTROY:
            glowRunning_ = 0;
            KillTimer(hostWindow_, handle);
            return -1;
        case FocusGained:
            glowRunning_ = 1;
            SetTimer(hostWindow_, handle, kGlowInterval, nullptr);
            glowPhase_ = 1;
            glowPoint_ = Gdiplus::PointF(6, 0);
            return 0;
        case FocusLost:
            glowRunning_ = 0;
            KillTimer(hostWindow_, handle);
            repaint();
            return 0;
        case WM_TIMER:
            if (!glowRunning_) KillTimer(hostWindow_, handle);
            glowStep();
            repaint();
            return -1;
        case TransitionFrame:
            if (glowRunning_ && canvasGraphics_) {
                gp::GdipGraphicsClear(canvasGraphics_.get(), 0);
                glowStep();
                paintText(handle, visualState_, 0);
            }
            return -1;
        case TransitionStarted:
            if (glowRunning_) KillTimer(hostWindow_, handle);
            return -1;
        case TransitionFinished:
            if (glowRunning_) SetTimer(hostWindow_, handle, kGlowInterval, nullptr);
            return -1;
        default:
            return -1;
    }
}

int DuiGlowButton::drawBackground(PaintContext& paint, VisualState state) {
    Gdiplus::GpGraphics* g = paint.graphics;
    GpImagePtr frame = cropImage(glowButtonSkin(), RectF(skinFrameX(state), 0, 13, 28));
    // Centre cell (5, 5, 3, 15): margins of 5 left, top and right and 8 at the bottom.
    drawNineGrid(g, frame.get(), paint.area, RectF(5, 5, 3, 15));
    if (glowRunning_) drawGlow(g, paint.area);
    return 1;
}

void DuiGlowButton::drawGlow(Gdiplus::GpGraphics* g, const RectF& area) {
    RectF outer(area.X + 1, area.Y, area.Width - 1, area.Height - 3);
    RectF inner = outer;
    offsetRect(inner, 1, 1, -2, -2);
    auto roundRegion = [](const RectF& r) {
        return RegionHandle(CreateRoundRectRgn(static_cast<int>(r.X), static_cast<int>(r.Y),
                                               static_cast<int>(r.X + r.Width),
                                               static_cast<int>(r.Y + r.Height), 5, 5));
    };
    // A one-pixel ring along the border: the light shows only there.
    RegionHandle ring = roundRegion(outer);
    RegionHandle hole = roundRegion(inner);
    CombineRgn(ring.get(), ring.get(), hole.get(), RGN_DIFF);
    GpRegionPtr clip = regionFromHrgn(ring.get());
    setClipRegion(g, clip.get(), Gdiplus::CombineModeReplace);

    const RectF dot(glowPoint_.X - kGlowRadius, glowPoint_.Y - kGlowRadius, 2 * kGlowRadius,
                    2 * kGlowRadius);
    GpPathPtr path = createPath();
    addEllipse(path.get(), dot);
    GpBrushPtr brush;
    gp::GdipCreatePathGradientFromPath(
        path.get(),
        reinterpret_cast<Gdiplus::GpPathGradient**>(static_cast<Gdiplus::GpBrush**>(brush.put())));
    auto* gradient = reinterpret_cast<Gdiplus::GpPathGradient*>(brush.get());
    gp::GdipSetPathGradientCenterColor(gradient, argbColor(0xFFFFFF, 255));
    Gdiplus::ARGB surround = argbColor(0xFFFFFF, 50);
    INT count = 1;
    gp::GdipSetPathGradientSurroundColorsWithCount(gradient, &surround, &count);
    gp::GdipFillRectangle(g, brush.get(), dot.X, dot.Y, dot.Width, dot.Height);
    resetClip(g);
}

int DuiGlowButton::adjustContent(PaintContext&, VisualState, RectF& textRect, RectF& iconRect) {
    switch (iconLayout_) {
        case 0:
        case 4: {
            const float dx = iconLayout_ == 4 ? 4.0f : -2.0f;
            offsetRect(textRect, dx, -2);
            offsetRect(iconRect, dx, -2);
            break;
        }
        case 2:
        case 6: {
            const float d = iconLayout_ == 2 ? -4.0f : 2.0f;
            offsetRect(iconRect, 0, d);
            offsetRect(textRect, -1, d + 2);
            break;
        }
        default:
            break;
    }
    return 1;  // the light is the focus cue
}

void DuiGlowButton::glowStep() {
    const float w = static_cast<float>(static_cast<int>(bounds_.Width));
    const float h = static_cast<float>(static_cast<int>(bounds_.Height));
    Gdiplus::PointF& p = glowPoint_;
    switch (glowPhase_) {
        case 1:
            p.X += kGlowStride;
            if (p.X >= w - 2 - kTolerance) {
                p.X = w - 2;
                glowPhase_ = 2;
            }
            break;
        case 2:
            p.Y += kGlowStride;
            if (p.Y >= h - 4 - kTolerance) {
                p.Y = h - 4;
                glowPhase_ = 3;
            }
            break;
        case 3:
            p.X -= kGlowStride;
            if (p.X <= kTolerance) {
                p.X = 0;
                glowPhase_ = 4;
            }
            break;
        case 4:
            p.Y -= kGlowStride;
            if (p.Y <= kTolerance) {
                p.Y = 0;
                glowPhase_ = 1;
            }
            break;
        default:
            glowPhase_ = 1;
            break;
    }
}

}  // namespace dui
