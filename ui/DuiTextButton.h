// The plain push button of the message box: a text control that keeps the default look.
#pragma once

#include "ui/DuiTextControl.h"

namespace dui {

class DuiTextButton : public DuiTextControl {
public:
    ~DuiTextButton() override;
    int drawBackground(PaintContext& paint, VisualState state) override;
    int adjustContent(PaintContext& paint, VisualState state, RectF& textRect,
                      RectF& iconRect) override;
    int messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
};

}  // namespace dui
