// The layer between the control base and every control that shows a caption: text, font, string
// format, colours, an optional icon, and a button-like default look that follows the visual state
// and cross-fades between states. Subclasses change the look through three hooks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/DuiCompositor.h"
#include "ui/DuiControl.h"
#include "ui/GdiPlus.h"

namespace dui {

// The look a text control last painted. The text layer itself never enters Disabled.
enum class VisualState : int { Normal = 0, Hover = 1, Pressed = 2, Focused = 3, Disabled = -1 };

// Optional settings of DuiTextControl::create; an empty optional is an argument not given.
struct TextStyle {
    std::optional<ArgbColor> textColor{};   // default argbColor(black, 210)
    std::optional<std::string> fontName{};  // ANSI code page
    std::optional<float> fontSize{};        // pixels
    std::optional<int> fontStyle{};         // GDI+ FontStyle bits
    int textEffect = 0;                     // TextEffect of drawText
    ArgbColor effectColor = 0;              // 0: chosen from the text colour
    std::optional<int> roundedFrame{};      // default: the host's frame style
    std::optional<int> visible{};           // default 1
};

class DuiTextControl : public DuiControl {
public:
    DuiTextControl() = default;
    // Destroys the control while the text layer is still whole, so its cleanup runs.
    ~DuiTextControl() override;

    // Operations added after the 38 of the base, in this order.
    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    // text is ANSI; returns the handle (0 when the parent has no host).
    ControlHandle create(ControlParent parent, int x, int y, int width, int height,
                         const std::string& text, const TextStyle& style = {});
    std::string text(std::optional<std::string> value = {});
    std::wstring wideText(std::optional<std::wstring> value = {});
    ArgbColor textColor(std::optional<ArgbColor> value = {});
    int textEffect(std::optional<int> value = {});
    std::string fontName(std::optional<std::string> value = {});
    int fontStyle(std::optional<int> value = {});
    int fontSize(std::optional<float> value = {});
    // The control takes ownership of a given font; the current font is not owned by the caller.
    Gdiplus::GpFont* font(std::optional<GpFontPtr> value = {});
    // The control takes ownership of a given format; the current one stays the control's.
    Gdiplus::GpStringFormat* stringFormat(std::optional<GpStringFormatPtr> value = {});
    ArgbColor effectColor(std::optional<ArgbColor> value = {});
    int roundedFrame(std::optional<int> value = {});
    int autoContrast(std::optional<int> value = {});
    std::vector<std::uint8_t> icon(std::optional<std::span<const std::uint8_t>> bytes = {});
    int iconLayout(std::optional<int> value = {});
    int contentOffsetX(std::optional<int> value = {});
    int contentOffsetY(std::optional<int> value = {});
    int iconGap(std::optional<int> value = {});
    // Drops an owned font; the shared default font is never deleted (it becomes current again).
    void releaseFont();
    void paintText(ControlHandle handle, std::optional<VisualState> state = {}, int clear = 1);

    // Hooks for subclasses. drawBackground returns non-zero when it painted the background;
    // adjustContent may move the rectangles and returns non-zero to suppress the focus cue;
    // messageHook sees every message first, -1 lets the text layer continue.
    virtual int drawBackground(PaintContext& paint, VisualState state);
    virtual int adjustContent(PaintContext& paint, VisualState state, RectF& textRect,
                              RectF& iconRect);
    virtual int messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b);

    VisualState visualState() const { return visualState_; }

protected:
    // Fields after the base fields, in the documented order.
    VisualState visualState_ = VisualState::Normal;
    std::wstring text_;  // may hold "&" before a mnemonic character
    GpFontPtr font_;     // owned; empty while the shared default font is in use
    int textEffect_ = 0;
    ArgbColor textColor_ = 0;
    int roundedFrame_ = 0;
    GpStringFormatPtr stringFormat_;  // owned
    ArgbColor effectColor_ = 0;
    int autoContrast_ = 0;
    std::vector<std::uint8_t> icon_;  // owned encoded image, empty: none
    int iconLayout_ = 0;
    int contentOffsetX_ = 0;
    int contentOffsetY_ = 0;
    int iconGap_ = 0;

    // The font in use: the owned one or the shared default (not owned).
    Gdiplus::GpFont* currentFont() const;

private:
    void setFont(GpFontPtr font);
    // setFont, then what a font change needs to show.
    void replaceFont(GpFontPtr font);
    void registerMnemonic();
    bool storeText(std::wstring text);
    void drawDefaultLook(PaintContext& paint, VisualState state);
};

}  // namespace dui
