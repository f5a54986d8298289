#include "ui/DuiTextButton.h"

namespace dui {

DuiTextButton::~DuiTextButton() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

int DuiTextButton::drawBackground(PaintContext&, VisualState) {
    return 0;
}

int DuiTextButton::adjustContent(PaintContext&, VisualState, RectF&, RectF&) {
    return 0;
}

int DuiTextButton::messageHook(ControlHandle, UINT, WPARAM, LPARAM) {
    return -1;
}

}  // namespace dui
