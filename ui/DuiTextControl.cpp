#include "ui/DuiTextControl.h"

#include <algorithm>
#include <cmath>

#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiStringFormat.h"
#include "ui/DuiTextSupport.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kStateTransitionSteps = 4;

// Colours of the default look for one state: (RGB, alpha) pairs except the gradient's alphas,
// which apply to the host's theme colour.
struct LookColours {
    COLORREF fill;
    int fillAlpha;
    int gradientTop, gradientBottom;
    int outerAlpha, innerAlpha, bottomAlpha;
};

const LookColours* lookFor(VisualState state) {
    static const LookColours normal{0xECECEC, 204, 0, 102, 80, 51, 25};
    static const LookColours hover{0xECECEC, 204, 21, 153, 70, 51, 30};
    static const LookColours pressed{0xECECEC, 204, 153, 21, 70, 51, 10};
    static const LookColours focused{0xECECEC, 204, 51, 153, 80, 61, 25};
    static const LookColours disabled{kWhite, 51, 51, 51, 35, 30, 0};
    switch (state) {
        case VisualState::Normal:
            return &normal;
        case VisualState::Hover:
            return &hover;
        case VisualState::Pressed:
            return &pressed;
        case VisualState::Focused:
            return &focused;
        case VisualState::Disabled:
            return &disabled;
    }
    return nullptr;
}

// The text box widened, when needed, to the width GDI+ gives the whole laid-out line. The measured
// box holds the glyphs but not the format's padding on both sides, and Wine drops from a no-wrap
// line every character that does not fit inside that padding.
RectF wholeLine(Gdiplus::GpGraphics* g, const std::wstring& text, Gdiplus::GpFont* font,
                Gdiplus::GpStringFormat* format, const RectF& area, RectF textRect) {
    RectF line{};
    if (gp::GdipMeasureString(g, text.c_str(), -1, font, &area, format, &line, nullptr, nullptr) ==
        Gdiplus::Ok)
        textRect.Width = std::max(textRect.Width, std::ceil(line.Width));
    return textRect;
}

}  // namespace

DuiTextControl::~DuiTextControl() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

Gdiplus::GpFont* DuiTextControl::currentFont() const {
    return font_ ? font_.get() : toolkit().defaultFont.get();
}

void DuiTextControl::setFont(GpFontPtr font) {
    releaseFont();
    font_ = std::move(font);
}

void DuiTextControl::replaceFont(GpFontPtr font) {
    setFont(std::move(font));
    repaint();
}

int DuiTextControl::handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    int hooked = messageHook(handle, code, a, b);
    if (hooked != -1) return hooked;
    switch (code) {
        case WM_CREATE:
            registerMnemonic();
            break;
        case WM_DESTROY:
            stringFormat_.reset();
            releaseFont();
            break;
        case WM_PAINT:
            paintText(handle, visualState_);
            break;
        case MouseEnter:
            transition(kStateTransitionSteps);
            paintText(handle, VisualState::Hover);
            break;
        case MouseLeave:
        case FocusLost:
            transition(kStateTransitionSteps);
            paintText(handle, VisualState::Normal);
            break;
        case WM_LBUTTONDOWN:
            if (focusable_) paintText(handle, VisualState::Pressed);
            break;
        case WM_LBUTTONUP:
            if (focusable_) paintText(handle, VisualState::Hover);
            break;
        case FocusGained:
            paintText(handle, VisualState::Focused);
            break;
        case Refresh:
            if (kind_ == TextControl) paintText(handle, visualState_);
            break;
        case TransitionFinished:
            transition(0);
            break;
        default:
            break;
    }
    return -1;
}

ControlHandle DuiTextControl::create(ControlParent parent, int x, int y, int width, int height,
                                     const std::string& text, const TextStyle& style) {
    // Fields first, so the first paint of the base creation already uses them.
    textColor_ = style.textColor.value_or(argbColor(kBlack, 210));
    setFont(fontForArguments(style.fontName, style.fontSize, style.fontStyle));
    DuiStringFormat format;
    format.create(Gdiplus::StringFormatFlagsNoWrap, 0);
    format.alignment(Gdiplus::StringAlignmentNear);
    format.trimming(Gdiplus::StringTrimmingNone);
    format.hotkeyPrefix(Gdiplus::HotkeyPrefixShow);
    stringFormat_ = format.take();
    textEffect_ = style.textEffect;
    effectColor_ = style.effectColor;
    text_ = ansiToWide(text);
    if (style.roundedFrame) {
        roundedFrame_ = *style.roundedFrame;
    } else {
        DuiHost* host = parent.window ? hostOfWindow(parent.window) : nullptr;
        roundedFrame_ = host ? host->frameStyle() : 0;
    }
    return DuiControl::create(parent,
                              RectF(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(width), static_cast<float>(height)),
                              TextControl, style.visible.value_or(1), 1, std::nullopt, 60, 0, 0);
}

void DuiTextControl::registerMnemonic() {
    if (!hostWindow_) return;
    std::string ansi = wideToAnsi(text_);
    std::size_t amp = ansi.find('&');
    int key = amp == std::string::npos || amp + 1 >= ansi.size()
                  ? 0
                  : static_cast<unsigned char>(ansi[amp + 1]);
    SendMessageW(hostWindow_, RegisterMnemonic, handle_, key);
}

bool DuiTextControl::storeText(std::wstring text) {
    if (text == text_) return false;
    text_ = std::move(text);
    registerMnemonic();
    repaint();
    return true;
}

std::string DuiTextControl::text(std::optional<std::string> value) {
    if (value) storeText(ansiToWide(*value));
    return wideToAnsi(text_);
}

std::wstring DuiTextControl::wideText(std::optional<std::wstring> value) {
    if (value) storeText(std::move(*value));
    return text_;
}

ArgbColor DuiTextControl::textColor(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, textColor_, value);
}

int DuiTextControl::textEffect(std::optional<int> value) {
    return storeAndRepaint(*this, textEffect_, value);
}

std::string DuiTextControl::fontName(std::optional<std::string> value) {
    if (value) replaceFont(fontLike(currentFont(), value, std::nullopt, std::nullopt));
    return fontFamilyName(currentFont());
}

int DuiTextControl::fontStyle(std::optional<int> value) {
    if (value) replaceFont(fontLike(currentFont(), std::nullopt, std::nullopt, value));
    return fontStyleOf(currentFont());
}

int DuiTextControl::fontSize(std::optional<float> value) {
    if (value) replaceFont(fontLike(currentFont(), std::nullopt, value, std::nullopt));
    return static_cast<int>(fontSizeOf(currentFont()));
}

Gdiplus::GpFont* DuiTextControl::font(std::optional<GpFontPtr> value) {
    if (value) replaceFont(std::move(*value));
    return currentFont();
}

Gdiplus::GpStringFormat* DuiTextControl::stringFormat(std::optional<GpStringFormatPtr> value) {
    if (value) {
        stringFormat_ = std::move(*value);
        repaint();
    }
    return stringFormat_.get();
}

ArgbColor DuiTextControl::effectColor(std::optional<ArgbColor> value) {
    return storeAndRepaint(*this, effectColor_, value);
}

int DuiTextControl::roundedFrame(std::optional<int> value) {
    return storeAndRepaint(*this, roundedFrame_, value);
}

int DuiTextControl::autoContrast(std::optional<int> value) {
    return storeAndRepaint(*this, autoContrast_, value);
}

std::vector<std::uint8_t> DuiTextControl::icon(std::optional<std::span<const std::uint8_t>> bytes) {
    if (bytes) {
        icon_.assign(bytes->begin(), bytes->end());
        repaint();
    }
    return icon_;
}

int DuiTextControl::iconLayout(std::optional<int> value) {
    return storeAndRepaint(*this, iconLayout_, value);
}

int DuiTextControl::contentOffsetX(std::optional<int> value) {
    return storeAndRepaint(*this, contentOffsetX_, value);
}

int DuiTextControl::contentOffsetY(std::optional<int> value) {
    return storeAndRepaint(*this, contentOffsetY_, value);
}

int DuiTextControl::iconGap(std::optional<int> value) {
    return storeAndRepaint(*this, iconGap_, value);
}

void DuiTextControl::releaseFont() {
    // font_ never holds the shared default font, so resetting it cannot delete that one.
    font_.reset();
}

int DuiTextControl::drawBackground(PaintContext&, VisualState) {
    return 0;
}

int DuiTextControl::adjustContent(PaintContext&, VisualState, RectF&, RectF&) {
    return 0;
}

int DuiTextControl::messageHook(ControlHandle, UINT, WPARAM, LPARAM) {
    return -1;
}

void DuiTextControl::drawDefaultLook(PaintContext& paint, VisualState state) {
    const LookColours* look = lookFor(state);
    Gdiplus::GpGraphics* g = paint.graphics;
    if (!look || !g) return;
    const COLORREF theme = host_ ? host_->themeColor : 0;
    RectF e = paint.area;
    e.Height -= 1;
    if (roundedFrame_) {
        GpPathPtr clip = roundRectPath(paint.area, 4);
        setClipPath(g, clip.get(), Gdiplus::CombineModeReplace);
    }
    fillRoundRect(g, e, 3, argbColor(look->fill, look->fillAlpha));
    fillGradientRect(g, e, argbColor(theme, look->gradientTop),
                     argbColor(theme, look->gradientBottom), 1);
    const ArgbColor outer = argbColor(kBlack, look->outerAlpha);
    const ArgbColor inner = argbColor(kWhite, look->innerAlpha);
    if (roundedFrame_) {
        resetClip(g);
        drawRoundRect(g, e, 3, outer, Gdiplus::DashStyleSolid);
        offsetRect(e, 1, 1, -2, -2);
        drawRoundRect(g, e, 3, inner, Gdiplus::DashStyleSolid);
    } else {
        drawFrame(g, e, outer);
        offsetRect(e, 1, 1, -2, -2);
        drawFrame(g, e, inner);
    }
    drawLine(g, argbColor(kBlack, look->bottomAlpha), e.X, e.Height + 2, e.Width, e.Height + 2);
}

void DuiTextControl::paintText(ControlHandle handle, std::optional<VisualState> state, int clear) {
    const VisualState s = state.value_or(visualState_);
    visualState_ = s;
    PaintContext paint;
    if (!beginPaint(*this, paint, std::nullopt, clear)) return;
    Gdiplus::GpGraphics* g = paint.graphics;
    if (g) {
        if (!drawBackground(paint, s)) drawDefaultLook(paint, s);
        const RectF& area = paint.area;
        const RectF inset(area.X + 1, area.Y + 1, area.Width - 2, area.Height - 2);
        setClipRect(g, inset, Gdiplus::CombineModeReplace);
        GpImagePtr icon;
        if (!icon_.empty()) icon = loadImageFromBytes(icon_, false);
        Gdiplus::GpFont* font = currentFont();
        RectF textSize{};
        if (!text_.empty())
            measureText(g, text_.c_str(), font, stringFormat_.get(), 0,
                        static_cast<int>(text_.size()), inset, textSize);
        RectF textRect{}, iconRect{};
        layoutIconAndText(icon.get(), iconLayout_, area, textSize,
                          static_cast<float>(contentOffsetX_), static_cast<float>(contentOffsetY_),
                          static_cast<float>(iconGap_), textRect, iconRect);
        if (s == VisualState::Pressed) {
            offsetRect(textRect, 1, 1);
            offsetRect(iconRect, 1, 1);
        }
        const int suppressFocus = adjustContent(paint, s, textRect, iconRect);
        if (icon) drawImageNatural(g, icon.get(), iconRect, true);
        icon.reset();
        if (!text_.empty()) {
            ArgbColor colour = textColor_;
            if (autoContrast_) {
                const bool dark = host_ && backgroundIsDark(host_->currentBackgroundImage(),
                                                            host_->themeColor, bounds_);
                colour = argbColor(dark ? kWhite : kBlack, splitArgb(textColor_).alpha);
            }
            drawText(g, wholeLine(g, text_, font, stringFormat_.get(), inset, textRect),
                     text_.c_str(), font, colour, stringFormat_.get(), textEffect_, effectColor_);
        }
        resetClip(g);
        if (!suppressFocus && host_ && host_->focusCueControl == handle) {
            RectF cue = area;
            offsetRect(cue, 2, 2, -4, -5);
            drawFrame(g, cue, FrameDashed);
        }
    }
    endPaint(*this, paint);
}

}  // namespace dui
