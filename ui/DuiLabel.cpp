#include "ui/DuiLabel.h"

#include <cmath>

#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiStringFormat.h"
#include "ui/DuiTextSupport.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

constexpr int kSingleLineFlags = Gdiplus::StringFormatFlagsNoWrap;
constexpr int kMultiLineFlags =
    Gdiplus::StringFormatFlagsNoFontFallback | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
    Gdiplus::StringFormatFlagsLineLimit | Gdiplus::StringFormatFlagsNoClip;
constexpr int kDefaultSteps = 5;
constexpr int kDefaultInterval = 60;

int formatFlagsFor(int multiLine) {
    return multiLine ? kMultiLineFlags : kSingleLineFlags;
}

}  // namespace

DuiLabel::~DuiLabel() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

Gdiplus::GpFont* DuiLabel::currentFont() const {
    return font_ ? font_.get() : toolkit().defaultFont.get();
}

void DuiLabel::setFont(GpFontPtr font) {
    releaseFont();
    font_ = std::move(font);
}

void DuiLabel::replaceFont(GpFontPtr font) {
    setFont(std::move(font));
    layoutText();
    repaint();
}

int DuiLabel::handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    int hooked = messageHook(handle, code, a, b);
    if (hooked != -1) return hooked;
    switch (code) {
        case WM_CREATE:
            layoutText();
            onCreated(handle);
            break;
        case WM_DESTROY:
            text_.clear();
            effectColor_ = 0;
            releaseFont();
            stringFormat_.reset();
            break;
        case WM_PAINT:
            paint(handle);
            break;
        case FocusGained:
        case FocusLost:
            if (focusable_) paint(handle);
            break;
        case Resized:
            layoutText();
            break;
        case Refresh:
            if (autoContrast_) paint(handle);
            break;
        case TransitionFinished:
            pendingTransition_ = pendingInterval_ = pendingSteps_ = 0;
            transition(0, 0);
            break;
        default:
            break;
    }
    return -1;
}

void DuiLabel::layoutText() {
    Gdiplus::GpGraphics* g = canvasGraphics_.get();
    if (!g) return;
    Gdiplus::GpFont* font = currentFont();
    RectF layout(0, 0, 0, 0);  // multi-line: no limits
    if (!multiLine_) {
        float fontHeight = 0;
        gp::GdipGetFontHeight(font, g, &fontHeight);
        layout = bounds_;
        layout.Height = fontHeight;
    }
    RectF box{};
    gp::GdipMeasureString(g, text_.c_str(), -1, font, &layout, stringFormat_.get(), &box, nullptr,
                          nullptr);
    if (!multiLine_ && !text_.empty() && box.Height <= 0) {
        // Some GDI+ builds drop a line whose metrics exceed the font height by a fraction; the
        // single line is then measured without a height limit.
        layout.Height = 0;
        gp::GdipMeasureString(g, text_.c_str(), -1, font, &layout, stringFormat_.get(), &box,
                              nullptr, nullptr);
    }
    textWidth_ = static_cast<int>(std::lround(box.Width));
    textHeight_ = static_cast<int>(std::lround(box.Height));
}

ControlHandle DuiLabel::create(ControlParent parent, int x, int y, int width, int height,
                               const std::string& text, const LabelStyle& style) {
    // Assigning the owners releases the font and format a repeated create replaces.
    setFont(fontForArguments(style.fontName, style.fontSize, style.fontStyle));
    DuiStringFormat format;
    format.create(formatFlagsFor(style.multiLine), 0, false);
    format.alignment(style.alignment);
    format.trimming(style.trimming);
    format.hotkeyPrefix(Gdiplus::HotkeyPrefixNone);
    stringFormat_ = format.take();
    verticalAlignment_ = 1;
    textColor_ = style.textColor.value_or(0xD2000000);
    gradientMode_ = style.gradientMode;
    gradientColor1_ = style.gradientColor1;
    gradientColor2_ = style.gradientColor2;
    multiLine_ = style.multiLine;
    autoContrast_ = style.autoContrast;
    textEffect_ = style.textEffect;
    effectColor_ = style.effectColor;
    border_ = style.border;
    text_ = ansiToWide(text);
    return DuiControl::create(parent,
                              RectF(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(width), static_cast<float>(height)),
                              Label, style.visible.value_or(1), 0, std::nullopt, 0, 0, 0);
}

void DuiLabel::storeText(std::wstring text, std::optional<int> transitionKind,
                         std::optional<int> steps, std::optional<int> interval) {
    if (transitionKind) {
        DuiControl::transitionKind(*transitionKind);
        pendingTransition_ = 1;
        pendingSteps_ = steps.value_or(kDefaultSteps);
        pendingInterval_ = interval.value_or(kDefaultInterval);
    } else {
        pendingTransition_ = 0;
        if (text == text_) return;
    }
    text_ = std::move(text);
    layoutText();
    repaint();
}

std::string DuiLabel::text(std::optional<std::string> value, std::optional<int> transitionKind,
                           std::optional<int> steps, std::optional<int> interval) {
    if (value) storeText(ansiToWide(*value), transitionKind, steps, interval);
    return wideToAnsi(text_);
}

std::wstring DuiLabel::wideText(std::optional<std::wstring> value,
                                std::optional<int> transitionKind, std::optional<int> steps,
                                std::optional<int> interval) {
    if (value) storeText(std::move(*value), transitionKind, steps, interval);
    return text_;
}

ArgbColor DuiLabel::textColor(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, textColor_, value);
}

ArgbColor DuiLabel::effectColor(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, effectColor_, value);
}

ArgbColor DuiLabel::gradientColor1(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, gradientColor1_, value);
}

ArgbColor DuiLabel::gradientColor2(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, gradientColor2_, value);
}

int DuiLabel::gradientMode(std::optional<int> value) {
    return storeAndRepaint(*this, gradientMode_, value);
}

std::string DuiLabel::fontName(std::optional<std::string> value) {
    if (value) replaceFont(fontLike(currentFont(), value, std::nullopt, std::nullopt));
    return fontFamilyName(currentFont());
}

int DuiLabel::fontStyle(std::optional<int> value) {
    if (value) replaceFont(fontLike(currentFont(), std::nullopt, std::nullopt, value));
    return fontStyleOf(currentFont());
}

float DuiLabel::fontSize(std::optional<float> value) {
    if (value) replaceFont(fontLike(currentFont(), std::nullopt, value, std::nullopt));
    return fontSizeOf(currentFont());
}

int DuiLabel::trimming(std::optional<int> value) {
    Gdiplus::StringTrimming current = Gdiplus::StringTrimmingNone;
    if (value) {
        gp::GdipSetStringFormatTrimming(stringFormat_.get(),
                                        static_cast<Gdiplus::StringTrimming>(*value));
        repaint();
    }
    gp::GdipGetStringFormatTrimming(stringFormat_.get(), &current);
    return current;
}

int DuiLabel::formatFlags(std::optional<int> value) {
    INT current = 0;
    if (value) {
        gp::GdipSetStringFormatFlags(stringFormat_.get(), *value);
        repaint();
    }
    gp::GdipGetStringFormatFlags(stringFormat_.get(), &current);
    return current;
}

Gdiplus::GpFont* DuiLabel::font(std::optional<GpFontPtr> value) {
    if (value) replaceFont(std::move(*value));
    return currentFont();
}

Gdiplus::GpStringFormat* DuiLabel::stringFormat(std::optional<GpStringFormatPtr> value) {
    if (value) {
        stringFormat_ = std::move(*value);
        layoutText();
        repaint();
    }
    return stringFormat_.get();
}

int DuiLabel::alignment(std::optional<int> value) {
    Gdiplus::StringAlignment current = Gdiplus::StringAlignmentNear;
    if (value) {
        gp::GdipSetStringFormatAlign(stringFormat_.get(),
                                     static_cast<Gdiplus::StringAlignment>(*value));
        repaint();
    }
    gp::GdipGetStringFormatAlign(stringFormat_.get(), &current);
    return current;
}

int DuiLabel::multiLine(std::optional<int> value) {
    if (value) {
        multiLine_ = *value;
        gp::GdipSetStringFormatFlags(stringFormat_.get(), formatFlagsFor(multiLine_));
        repaint();
    }
    return multiLine_;
}

int DuiLabel::verticalAlignment(std::optional<int> value) {
    return storeAndRepaint(*this, verticalAlignment_, value);
}

int DuiLabel::textEffect(std::optional<int> value) {
    return storeAndRepaint(*this, textEffect_, value);
}

std::uint32_t DuiLabel::border(std::optional<std::uint32_t> value) {
    return storeAndRepaint(*this, border_, value);
}

int DuiLabel::autoContrast(std::optional<int> value) {
    return storeAndRepaint(*this, autoContrast_, value);
}

void DuiLabel::releaseFont() {
    // font_ never holds the shared default font, so resetting it cannot delete that one.
    font_.reset();
}

void DuiLabel::paint(ControlHandle handle) {
    if (pendingTransition_) transition(pendingSteps_, pendingInterval_);
    PaintContext context;
    if (!beginPaint(*this, context, std::nullopt, 1)) return;
    Gdiplus::GpGraphics* g = context.graphics;
    const RectF& area = context.area;
    if (g) {
        if (border_ != FrameNone) drawFrame(g, area, border_);
        // After the border: where it is opaque it covers the border's top and left lines.
        if (gradientMode_ != -1)
            fillGradientRect(g, area, gradientColor1_, gradientColor2_, gradientMode_);
    }
    if (!g || text_.empty()) {
        endPaint(*this, context);
        return;
    }
    const RectF textRect(area.X + 2, area.Y + 2, area.Width - 4, area.Height - 4);
    setClipRect(g, textRect, Gdiplus::CombineModeReplace);
    ArgbColor colour = textColor_;
    if (autoContrast_) {
        const bool dark =
            host_ && backgroundIsDark(host_->currentBackgroundImage(), host_->themeColor, bounds_);
        colour = argbColor(dark ? 0xFFFFFF : 0x000000, splitArgb(textColor_).alpha);
    }
    Gdiplus::GpFont* font = currentFont();
    RectF layout = textRect;
    if (multiLine_) {
        float fontHeight = 0;
        gp::GdipGetFontHeight(font, g, &fontHeight);
        layout.Height = area.Height + fontHeight + 3;
    } else {
        float top = textRect.Y;
        const float spare = textRect.Height - static_cast<float>(textHeight_);
        if (verticalAlignment_ == 0) top += 2;
        if (verticalAlignment_ == 1) top += spare / 2;
        if (verticalAlignment_ == 2) top += spare - 2;
        layout = RectF(std::trunc(textRect.X), std::trunc(top), std::trunc(textRect.Width),
                       static_cast<float>(textHeight_));
    }
    onTextRect(layout);
    drawText(g, layout, text_.c_str(), font, colour, stringFormat_.get(), textEffect_,
             effectColor_);
    resetClip(g);
    if (host_ && host_->focusedControl == handle) drawFrame(g, area, FrameDashed);
    endPaint(*this, context);
}

void DuiLabel::onTextRect(RectF&) {}

int DuiLabel::messageHook(ControlHandle, UINT, WPARAM, LPARAM) {
    return -1;
}

void DuiLabel::onCreated(ControlHandle) {}

}  // namespace dui
