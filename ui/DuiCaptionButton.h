// The small buttons of a host window's caption (close, maximize/restore, minimize and four
// draw-only kinds): each shows a cell of the toolkit's caption sprite and acts on its window.
#pragma once

#include <memory>
#include <optional>

#include "ui/DuiControl.h"

namespace dui {

// Kind of a caption button: the caption flag bit that asked for it.
enum CaptionButtonKind : int {
    CaptionButtonClose = 4,
    CaptionButtonMaximize = 8,
    CaptionButtonMinimize = 16,
};

// Where a caption button's look sits in the caption sprite: (x, 2, width, 19); width 0 = none.
struct SpriteCell {
    int x = 0;
    int width = 0;
};
inline constexpr int kSpriteCellTop = 2;
inline constexpr int kSpriteCellHeight = 19;

// The cell for a kind in a state (0 normal, 1 hover, 2 pressed; 3 and -1 draw as normal) and
// whether the window is maximized (the maximize kind then shows the restore cells).
SpriteCell captionSpriteCell(int buttonKind, int state, bool maximized);

class DuiCaptionButton : public DuiControl {
public:
    ~DuiCaptionButton() override;

    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    // Shows state's cell, over transitionSteps frames (0: at once); same state only when forced.
    void paintState(ControlHandle handle, int state, bool force = false, int transitionSteps = 0);
    ControlHandle create(ControlParent parent, int x, int y, int w, int h, int buttonKind,
                         std::optional<int> visible = {});
    int buttonKind() const { return buttonKind_; }
    int lastState() const { return lastState_; }

private:
    int buttonKind_ = 0;
    int lastState_ = 0;  // state of the last paint
};

// The host's factory for its caption buttons: a visible button of kind at (x, 7), width x 19.
std::unique_ptr<DuiControl> createCaptionButton(HWND window, int kind, int x, int width);

}  // namespace dui
