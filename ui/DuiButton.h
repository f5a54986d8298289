// The skinned push button of the application's windows: a text control whose background is one
// of four encoded pictures chosen by its visual state, without focus visuals of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ui/DuiTextControl.h"

namespace dui {

class DuiButton : public DuiTextControl {
public:
    DuiButton() = default;
    // Destroys the control while the button is still whole, so its cleanup runs.
    ~DuiButton() override;

    // Hooks of the text layer.
    int drawBackground(PaintContext& paint, VisualState state) override;
    int adjustContent(PaintContext& paint, VisualState state, RectF& textRect,
                      RectF& iconRect) override;
    int messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;

    using Bytes = std::optional<std::span<const std::uint8_t>>;
    // Stores what is given (images copied, margins in source pixels) and always repaints.
    void setSkin(Bytes normal = {}, Bytes hover = {}, Bytes pressed = {}, Bytes disabled = {},
                 std::optional<int> drawMode = {}, std::optional<RECT> nineGridMargins = {});
    std::vector<std::uint8_t> normalImage(Bytes bytes = {});
    std::vector<std::uint8_t> hoverImage(Bytes bytes = {});
    std::vector<std::uint8_t> pressedImage(Bytes bytes = {});
    std::vector<std::uint8_t> disabledImage(Bytes bytes = {});
    // An ImageDrawMode; a button draws nothing in DrawCenter.
    int imageDrawMode(std::optional<int> mode = {});
    // Repaints only in nine-grid mode.
    RECT nineGridMargins(std::optional<RECT> margins = {});
    // For subclasses: sees every message before the button; -1 lets it continue.
    virtual int userMessageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b);

protected:
    // Fields after the text-layer fields, in the documented order; the images stay encoded.
    std::vector<std::uint8_t> normalImage_;
    std::vector<std::uint8_t> hoverImage_;  // also while focused
    std::vector<std::uint8_t> pressedImage_;
    std::vector<std::uint8_t> disabledImage_;  // empty: the host halves the normal look
    int imageDrawMode_ = 0;
    RectF nineGridInner_{};  // stretchable centre cell of the source picture

private:
    std::vector<std::uint8_t> storeImage(std::vector<std::uint8_t>& field, Bytes bytes);
};

}  // namespace dui
