#include "ui/DuiButton.h"

#include "ui/DuiDraw.h"
#include "ui/DuiImage.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiTextSupport.h"

namespace dui {

namespace {

RectF cellFromMargins(const RECT& m) {
    return RectF(static_cast<float>(m.left), static_cast<float>(m.top),
                 static_cast<float>(m.right - m.left), static_cast<float>(m.bottom - m.top));
}

}  // namespace

DuiButton::~DuiButton() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

int DuiButton::messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    int hooked = userMessageHook(handle, code, a, b);
    if (hooked != -1) return hooked;
    switch (code) {
        case WM_CREATE:
            kind_ = Button;
            return -1;
        case WM_DESTROY:
            normalImage_.clear();
            hoverImage_.clear();
            pressedImage_.clear();
            disabledImage_.clear();
            return -1;
        case FocusGained:
        case FocusLost:
            return 0;  // no focused look: the text layer stops here
        case QueryOwnDisabledLook:
            if (disabledImage_.empty()) return -1;  // the host halves the opacity
            userMessageHook(handle, WM_PAINT, a, b);
            return 0;
        default:
            return -1;
    }
}

int DuiButton::drawBackground(PaintContext& paint, VisualState state) {
    if (disabled_) state = disabledImage_.empty() ? VisualState::Normal : VisualState::Disabled;
    const std::vector<std::uint8_t>* bytes = nullptr;
    switch (state) {
        case VisualState::Normal:
            bytes = &normalImage_;
            break;
        case VisualState::Hover:
        case VisualState::Focused:
            bytes = &hoverImage_;
            break;
        case VisualState::Pressed:
            bytes = &pressedImage_;
            break;
        case VisualState::Disabled:
            bytes = &disabledImage_;
            break;
    }
    if (!bytes || bytes->empty() || !paint.graphics) return 1;
    const RectF& area = paint.area;
    const int width = static_cast<int>(area.Width), height = static_cast<int>(area.Height);
    if (imageDrawMode_ == DrawStretch && area.Width == static_cast<float>(width) &&
        area.Height == static_cast<float>(height)) {
        // The skin comes stretched to the button's size already; drawn one to one.
        GpImagePtr stretched = loadStretchedImage(*bytes, width, height);
        if (stretched)
            drawImagePartWithOpacity(paint.graphics, stretched.get(), area,
                                     RectF(0, 0, area.Width, area.Height), 255);
        return 1;
    }
    // Decoded for this paint only, so a button holds no bitmaps between paints.
    GpImagePtr image = loadImageFromBytes(*bytes, false);
    if (!image) return 1;
    switch (imageDrawMode_) {
        case DrawNatural:
            drawImageNatural(paint.graphics, image.get(), RectF(0, 0, area.Width, area.Height),
                             false);
            break;
        case DrawStretch:
            gp::GdipDrawImageRect(paint.graphics, image.get(), area.X, area.Y, area.Width,
                                  area.Height);
            break;
        case DrawNineGrid:
            drawNineGrid(paint.graphics, image.get(), area, nineGridInner_);
            break;
        default:
            break;
    }
    return 1;
}

int DuiButton::adjustContent(PaintContext&, VisualState, RectF&, RectF&) {
    return 1;  // never a focus rectangle
}

int DuiButton::userMessageHook(ControlHandle, UINT, WPARAM, LPARAM) {
    return -1;
}

void DuiButton::setSkin(Bytes normal, Bytes hover, Bytes pressed, Bytes disabled,
                        std::optional<int> drawMode, std::optional<RECT> nineGridMargins) {
    if (normal) normalImage_.assign(normal->begin(), normal->end());
    if (hover) hoverImage_.assign(hover->begin(), hover->end());
    if (pressed) pressedImage_.assign(pressed->begin(), pressed->end());
    if (disabled) disabledImage_.assign(disabled->begin(), disabled->end());
    if (drawMode) imageDrawMode_ = *drawMode;
    if (nineGridMargins) nineGridInner_ = cellFromMargins(*nineGridMargins);
    repaint();
}

std::vector<std::uint8_t> DuiButton::storeImage(std::vector<std::uint8_t>& field, Bytes bytes) {
    if (bytes) {
        field.assign(bytes->begin(), bytes->end());
        repaint();
    }
    return field;
}

std::vector<std::uint8_t> DuiButton::normalImage(Bytes bytes) {
    return storeImage(normalImage_, bytes);
}

std::vector<std::uint8_t> DuiButton::hoverImage(Bytes bytes) {
    return storeImage(hoverImage_, bytes);
}

std::vector<std::uint8_t> DuiButton::pressedImage(Bytes bytes) {
    return storeImage(pressedImage_, bytes);
}

std::vector<std::uint8_t> DuiButton::disabledImage(Bytes bytes) {
    return storeImage(disabledImage_, bytes);
}

int DuiButton::imageDrawMode(std::optional<int> mode) {
    return storeAndRepaint(*this, imageDrawMode_, mode);
}

RECT DuiButton::nineGridMargins(std::optional<RECT> margins) {
    if (margins) {
        nineGridInner_ = cellFromMargins(*margins);
        if (imageDrawMode_ == DrawNineGrid) repaint();
    }
    const RectF& c = nineGridInner_;
    return RECT{static_cast<LONG>(c.X), static_cast<LONG>(c.Y), static_cast<LONG>(c.X + c.Width),
                static_cast<LONG>(c.Y + c.Height)};
}

}  // namespace dui
