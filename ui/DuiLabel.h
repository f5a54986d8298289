// Static text and panel control: an optional border, an optional two-colour gradient and a single-
// or multi-line text with its own font and format, whose changes can be animated.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/DuiControl.h"
#include "ui/GdiPlus.h"

namespace dui {

// Optional settings of DuiLabel::create; an empty optional is an argument not given, the other
// fields count as 0 when not set.
struct LabelStyle {
    std::optional<ArgbColor> textColor{};  // default 0xD2000000
    int gradientMode = 0;                  // -1 none, else a LinearGradientMode
    ArgbColor gradientColor1 = 0;          // 0: fully transparent
    ArgbColor gradientColor2 = 0;
    int multiLine = 0;
    int autoContrast = 0;
    std::optional<std::string> fontName{};  // ANSI code page
    std::optional<float> fontSize{};        // pixels
    std::optional<int> fontStyle{};         // GDI+ FontStyle bits
    int alignment = 0;                      // StringAlignment
    int trimming = 0;                       // StringTrimming
    int textEffect = 0;
    ArgbColor effectColor = 0;
    std::uint32_t border = 0;      // FrameStyle, or above 4 the frame colour
    std::optional<int> visible{};  // default 1
};

class DuiLabel : public DuiControl {
public:
    DuiLabel() = default;
    // Destroys the control while the label is still whole, so its cleanup runs.
    ~DuiLabel() override;

    // Operations added after the 38 of the base, in this order.
    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    void layoutText();
    // On a live label only the label's own fields are set again (new font and format, the old
    // ones released); nothing is measured or repainted. text is ANSI.
    ControlHandle create(ControlParent parent, int x, int y, int width, int height,
                         const std::string& text, const LabelStyle& style = {});
    // With a transition kind the change is always shown as a transition (default 5 steps of
    // 60 ms); without one, the same text again changes nothing.
    std::string text(std::optional<std::string> value = {}, std::optional<int> transitionKind = {},
                     std::optional<int> steps = {}, std::optional<int> interval = {});
    std::wstring wideText(std::optional<std::wstring> value = {},
                          std::optional<int> transitionKind = {}, std::optional<int> steps = {},
                          std::optional<int> interval = {});
    ArgbColor textColor(std::optional<ArgbColor> value = {});
    ArgbColor effectColor(std::optional<ArgbColor> value = {});
    ArgbColor gradientColor1(std::optional<ArgbColor> value = {});
    ArgbColor gradientColor2(std::optional<ArgbColor> value = {});
    int gradientMode(std::optional<int> value = {});
    std::string fontName(std::optional<std::string> value = {});
    int fontStyle(std::optional<int> value = {});
    float fontSize(std::optional<float> value = {});
    int trimming(std::optional<int> value = {});
    int formatFlags(std::optional<int> value = {});
    // The label takes ownership of a given font; the current font is not owned by the caller.
    Gdiplus::GpFont* font(std::optional<GpFontPtr> value = {});
    Gdiplus::GpStringFormat* stringFormat(std::optional<GpStringFormatPtr> value = {});
    int alignment(std::optional<int> value = {});
    int multiLine(std::optional<int> value = {});
    int verticalAlignment(std::optional<int> value = {});
    int textEffect(std::optional<int> value = {});
    std::uint32_t border(std::optional<std::uint32_t> value = {});
    int autoContrast(std::optional<int> value = {});
    // Drops an owned font; the shared default font is never deleted (it becomes current again).
    void releaseFont();
    void paint(ControlHandle handle);
    virtual void onTextRect(RectF& rect);
    virtual int messageHook(ControlHandle handle, UINT code, WPARAM a, LPARAM b);
    virtual void onCreated(ControlHandle handle);

    int textWidth() const { return textWidth_; }
    int textHeight() const { return textHeight_; }
    int pendingTransition() const { return pendingTransition_; }

protected:
    // Fields after the base fields, in the documented order.
    GpFontPtr font_;     // owned; empty while the shared default font is in use
    std::wstring text_;  // empty: nothing drawn
    ArgbColor textColor_ = 0xD2000000;
    int gradientMode_ = 0;
    ArgbColor gradientColor1_ = 0;
    ArgbColor gradientColor2_ = 0;
    int multiLine_ = 0;
    int verticalAlignment_ = 1;
    int textEffect_ = 0;
    std::uint32_t border_ = 0;
    int autoContrast_ = 0;
    ArgbColor effectColor_ = 0;
    GpStringFormatPtr stringFormat_;  // owned
    int textWidth_ = 0;
    int textHeight_ = 0;
    int pendingTransition_ = 0;
    int pendingInterval_ = 0;
    int pendingSteps_ = 0;

    // The font in use: the owned one or the shared default (not owned).
    Gdiplus::GpFont* currentFont() const;

private:
    void setFont(GpFontPtr font);
    // setFont, then what a font change needs to show.
    void replaceFont(GpFontPtr font);
    void storeText(std::wstring text, std::optional<int> transitionKind, std::optional<int> steps,
                   std::optional<int> interval);
};

}  // namespace dui
