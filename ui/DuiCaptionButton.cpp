#include "ui/DuiCaptionButton.h"

#include "ui/DuiCompositor.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

constexpr int kTransitionInterval = 60;
constexpr int kHoverSteps = 3;
constexpr int kLeaveSteps = 4;

struct KindCells {
    int kind;
    int normal;  // x of the normal cell; hover and pressed follow at +step and +2 step
    int step;
    int width;
};
constexpr KindCells kCells[] = {
    {CaptionButtonClose, 0, 40, 39},
    {CaptionButtonMaximize, 120, 29, 28},
    {CaptionButtonMinimize, 294, 29, 28},
    {32, 381, 29, 28},
    {64, 468, 29, 28},
    {128, 555, 29, 28},
    {256, 642, 29, 28},
};
constexpr int kRestoreNormal = 207;

}  // namespace

SpriteCell captionSpriteCell(int buttonKind, int state, bool maximized) {
    if (state == 3 || state == -1) state = 0;
    if (state < 0 || state > 2) return {};
    for (const KindCells& cells : kCells) {
        if (cells.kind != buttonKind) continue;
        int normal =
            buttonKind == CaptionButtonMaximize && maximized ? kRestoreNormal : cells.normal;
        return {normal + state * cells.step, cells.width};
    }
    return {};
}

DuiCaptionButton::~DuiCaptionButton() {
    // The class's own teardown must run while this is still a caption button.
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

ControlHandle DuiCaptionButton::create(ControlParent parent, int x, int y, int w, int h,
                                       int buttonKind, std::optional<int> visible) {
    buttonKind_ = buttonKind;
    return DuiControl::create(parent,
                              RectF(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(w), static_cast<float>(h)),
                              CaptionButton, visible.value_or(1), 0, std::nullopt,
                              kTransitionInterval);
}

void DuiCaptionButton::paintState(ControlHandle, int state, bool force, int transitionSteps) {
    if (state == lastState_ && !force) return;
    transition(transitionSteps);
    PaintContext paint;
    if (beginPaint(*this, paint, std::nullopt, 1)) {
        SpriteCell cell = captionSpriteCell(buttonKind_, state, IsZoomed(hostWindow_) != FALSE);
        Gdiplus::GpImage* sprite = toolkit().captionSprite.get();
        if (sprite && cell.width && paint.graphics)
            gp::GdipDrawImageRectRect(paint.graphics, sprite, paint.area.X, paint.area.Y,
                                      paint.area.Width, paint.area.Height,
                                      static_cast<float>(cell.x), kSpriteCellTop,
                                      static_cast<float>(cell.width), kSpriteCellHeight,
                                      Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        endPaint(*this, paint);
    }
    lastState_ = state;
}

int DuiCaptionButton::handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    switch (code) {
        case WM_DESTROY:
            buttonKind_ = 0;
            lastState_ = 0;
            return -1;
        case WM_PAINT:
            paintState(handle, 0, true, 0);
            return -1;
        case WM_LBUTTONDOWN:
            paintState(handle, 2);
            return -1;
        case WM_LBUTTONUP:
            paintState(handle, 1);
            return -1;
        case MouseEnter:
            paintState(handle, 1, false, kHoverSteps);
            return -1;
        case MouseLeave:
            paintState(handle, 0, false, kLeaveSteps);
            return -1;
        case Click: {
            if (disabled_) return -1;
            HWND window = hostWindow_;
            if (buttonKind_ == CaptionButtonClose) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            } else if (buttonKind_ == CaptionButtonMaximize) {
                PostMessageW(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
            } else if (buttonKind_ == CaptionButtonMinimize && !IsIconic(window)) {
                PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            }
            return -1;
        }
        case QueryPressable:
            // Not focusable, yet the host must capture the mouse for it.
            return 0;
        case Moved:
            // The glyph follows the window's maximized state.
            if (buttonKind_ == CaptionButtonMaximize) paintState(handle, 0, true, 0);
            return -1;
        default:
            return DuiControl::handleMessage(handle, code, a, b);
    }
}

std::unique_ptr<DuiControl> createCaptionButton(HWND window, int kind, int x, int width) {
    auto button = std::make_unique<DuiCaptionButton>();
    if (!button->create(window, x, 7, width, kSpriteCellHeight, kind)) return nullptr;
    return button;
}

}  // namespace dui
