// The message box's skinned button: a light runs clockwise around its border while it has the
// keyboard focus, so the default answer is easy to spot.
#pragma once

#include "ui/DuiTextControl.h"

namespace dui {

class DuiGlowButton : public DuiTextControl {
public:
    // Stops the light's timer and destroys the control while the glow button is still whole.
    ~DuiGlowButton() override;

    int drawBackground(PaintContext& paint, VisualState state) override;
    int adjustContent(PaintContext& paint, VisualState state, RectF& textRect,
                      RectF& iconRect) override;
    int messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    // Moves the light 6 pixels clockwise along the border.
    void glowStep();

    int glowRunning() const { return glowRunning_; }
    int glowPhase() const { return glowPhase_; }
    Gdiplus::PointF glowPoint() const { return glowPoint_; }

protected:
    int glowRunning_ = 0;
    int glowPhase_ = 1;  // 1 top, 2 right, 3 bottom, 4 left side
    Gdiplus::PointF glowPoint_{0, 0};

private:
    void drawGlow(Gdiplus::GpGraphics* graphics, const RectF& area);
};

// The shared skin (55 x 28, four 13 x 28 frames), decoded on first use and kept for the life of
// the program; null when it cannot be decoded.
Gdiplus::GpImage* glowButtonSkin();

}  // namespace dui
