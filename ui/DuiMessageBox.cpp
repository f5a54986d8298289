#include "ui/DuiMessageBox.h"

#include <charconv>
#include <memory>
#include <string_view>

#include "resources/Embedded.h"
#include "ui/DuiGlowButton.h"
#include "ui/DuiHost.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiLabel.h"
#include "ui/DuiTextButton.h"
#include "ui/DuiTextSupport.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 150;

struct ButtonSet {
    std::vector<std::string> captions;
    std::vector<int> results;
};

ButtonSet buttonSet(int buttons) {
    switch (buttons) {
        case ButtonsCancelOk:
            return {{"取消", "确认"}, {ResultCancel, ResultOk}};
        case ButtonsIgnoreRetryAbort:
            return {{"忽略", "重试", "放弃"}, {ResultIgnore, ResultRetry, ResultAbort}};
        case ButtonsCancelNoYes:
            return {{"取消", "否(&N)", "是(&Y)"}, {ResultCancel, ResultNo, ResultYes}};
        case ButtonsNoYes:
            return {{"否(&N)", "是(&Y)"}, {ResultNo, ResultYes}};
        case ButtonsCancelRetry:
            return {{"取消", "重试"}, {ResultCancel, ResultRetry}};
        default:
            return {{"确认"}, {ResultOk}};
    }
}

// The result cell of one open box. A button's tag names its box by id, and a click writes only
// when that id belongs to the box whose window was clicked, so a tag can never reach memory.
struct BoxRecord {
    int id;
    HWND window;
    int result;
};

std::vector<BoxRecord*>& openBoxes() {
    static auto* boxes = new std::vector<BoxRecord*>;
    return *boxes;
}

// Registers a box for the length of its call.
class OpenBox {
public:
    explicit OpenBox(BoxRecord& record) : record_(record) {
        static int lastId = 0;
        record_.id = ++lastId;
        openBoxes().push_back(&record_);
    }
    ~OpenBox() { std::erase(openBoxes(), &record_); }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;

private:
    BoxRecord& record_;
};

// A button tag "box|result|position": exactly three whole decimal numbers.
struct ButtonTag {
    int box, result, position;
};

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

std::optional<ButtonTag> parseTag(const std::string& tag) {
    std::size_t first = tag.find('|');
    if (first == std::string::npos) return {};
    std::size_t second = tag.find('|', first + 1);
    if (second == std::string::npos || tag.find('|', second + 1) != std::string::npos) return {};
    std::string_view view(tag);
    auto box = parseInt(view.substr(0, first));
    auto result = parseInt(view.substr(first + 1, second - first - 1));
    auto position = parseInt(view.substr(second + 1));
    if (!box || !result || !position) return {};
    return ButtonTag{*box, *result, *position};
}

void drawPiece(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image, float x, float y, float w,
               float h, float sx, float sy, float sw, float sh) {
    gp::GdipDrawImageRectRect(graphics, image, x, y, w, h, sx, sy, sw, sh, Gdiplus::UnitPixel,
                              nullptr, nullptr, nullptr);
}

int iconCell(int icon) {
    switch (icon) {
        case IconStop:
            return 0;
        case IconExclamation:
            return 40;
        case IconQuestion:
            return 80;
        case IconInformation:
            return 120;
        case IconUser:
            return 160;
        default:
            return 0;
    }
}

int windowProperty(HWND window, const wchar_t* name) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, name)));
}

AttachOptions lookOf(HWND owner, const MessageBoxOptions& o, int captionFlags) {
    AttachOptions a;
    a.captionFlags = captionFlags;
    a.resizable = 0;
    if (o.customLook.value_or(0)) {
        a.backgroundBytes = o.backgroundImage;
        a.backColor = o.themeColor;
        a.windowAlpha = o.windowAlpha;
        a.backgroundMode = o.backgroundMode;
        a.frameStyle = o.frameStyle;
        a.fadeImageEdges = o.fadeImageEdges.value_or(1);
        a.blurBehind = o.blurBehind;
        if (o.windowAlpha && !o.blurBehind) a.blurBehind = toolkit().osMajorVersion >= 6 ? 1 : 0;
        a.nineGridMargins = o.nineGridMargins;
    } else if (DuiHost* lender = hostOfWindow(owner)) {
        a.windowAlpha = lender->windowAlpha;
        a.backgroundMode = lender->backgroundMode;
        int frame = lender->frameStyle();
        a.frameStyle = frame == 1 ? 7 : frame;
        a.blurBehind = lender->blurBehind ? 1 : 0;
        a.nineGridMargins = lender->nineGridMargins;
        a.draggable = 1;
        a.fadeImageEdges = 1;
        a.skinSourceWindow = owner;
    } else {
        a.backColor = RGB(0, 136, 255);
        a.windowAlpha = 210;
    }
    return a;
}

}  // namespace

void paintMessageBoxBackground(HWND window, Gdiplus::GpGraphics* graphics, int width, int height) {
    if (GpImagePtr strip = loadImageFromBytes(res::message_box_background_png, false)) {
        float w = static_cast<float>(width - 14);
        drawPiece(graphics, strip.get(), 7, 7, w, 96, 0, 0, 1, 96);
        drawPiece(graphics, strip.get(), 7, 103, w, static_cast<float>(height - 145), 0, 97, 1,
                  -21);
        drawPiece(graphics, strip.get(), 7, static_cast<float>(height - 42), w, 35, 0, 129, 1, 31);
    }
    int icon = windowProperty(window, kMessageBoxIconProperty);
    if (windowProperty(window, kWindowKindProperty) != MessageBoxWindow || icon == 0) return;
    if (GpImagePtr icons = loadImageFromBytes(res::message_box_icons_png, false))
        drawPiece(graphics, icons.get(), 30, 40, 40, 40, static_cast<float>(iconCell(icon)), 0, 40,
                  40);
}

void layoutMessageBoxButtons(HWND window, int width, int height) {
    DuiHost* host = hostOfWindow(window);
    if (!host) return;
    for (ControlHandle h = host->firstControl; h;) {
        DuiControl* c = controlFromHandle(h);
        if (!c) break;
        ControlHandle next = c->nextSibling();
        if (c->kind() == TextControl) {
            if (auto tag = parseTag(c->tag()))
                c->setBounds(width - 75 * tag->position - 10, height - 35, std::nullopt,
                             std::nullopt, false);
        }
        h = next;
    }
}

void messageBoxButtonClicked(HWND window, ControlHandle control, WPARAM, LPARAM, int kind) {
    if (kind != TextControl && kind != GlowButton) return;
    DuiControl* c = controlFromHandle(control);
    if (!c) return;
    if (auto tag = parseTag(c->tag())) {
        for (BoxRecord* box : openBoxes())
            if (box->window == window && box->id == tag->box) box->result = tag->result;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
}

int messageBox(HWND owner, const std::string& text, const MessageBoxOptions& o) {
    BoxRecord record{0, nullptr, ResultCancel};
    int icon = o.icon.value_or(IconNone);
    int captionFlags = o.captionFlags.value_or(CaptionTitle | CaptionClose);

    // Reference rectangle as (left, top, width, height).
    RECT ownerRect{};
    int left, top, refWidth, refHeight;
    if (o.centerOnOwner.value_or(0) && owner && IsWindow(owner) &&
        GetWindowRect(owner, &ownerRect)) {
        left = ownerRect.left;
        top = ownerRect.top;
        refWidth = ownerRect.right - ownerRect.left;
        refHeight = ownerRect.bottom - ownerRect.top;
    } else {
        WorkArea area = workArea();
        left = area.left;
        top = area.top;
        refWidth = area.width;
        refHeight = area.height;
    }
    int W = kWidth, H = kHeight;
    RectF textRect = icon ? RectF(85, 43, 200, 50) : RectF(30, 43, 260, 50);
    int marginX = W - static_cast<int>(textRect.Width);
    int marginY = H - static_cast<int>(textRect.Height);
    int x = left + (refWidth - W) / 2;
    int y = top + (refHeight - H) / 2;

    HWND window = createToolkitWindow(owner, o.caption.value_or("提示：").c_str(), x, y, W, H);
    if (!window) return ResultCancel;
    record.window = window;
    OpenBox registration(record);
    SetPropW(window, kWindowKindProperty, reinterpret_cast<HANDLE>(MessageBoxWindow));
    SetPropW(window, kMessageBoxIconProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(icon)));

    // The host first, so the controls it lists are released before it.
    auto host = std::make_unique<DuiHost>();
    std::vector<std::unique_ptr<DuiTextControl>> buttons;
    DuiLabel label;
    host->setPaintHandler(paintMessageBoxBackground);
    host->attach(window, lookOf(owner, o, captionFlags));
    host->setMessageHook(popupMessageHook);
    host->setResizeHandler(layoutMessageBoxButtons);
    host->setClickHandler(messageBoxButtonClicked);

    // Line breaks as LF alone: some GDI+ builds draw the CR of a CR LF pair as a glyph.
    std::string shown = text;
    for (std::size_t at; (at = shown.find("\r\n")) != std::string::npos;) shown.erase(at, 1);
    std::wstring wide = ansiToWide(shown);
    // No layout width: only the text's own line breaks start new lines.
    RectF empty{}, measured{};
    gp::GdipMeasureString(host->composeGraphics(), wide.c_str(), -1, toolkit().defaultFont.get(),
                          &empty, nullptr, &measured, nullptr, nullptr);
    if (measured.Width > textRect.Width) {
        W = static_cast<int>(measured.Width) + marginX;
        x = left + (refWidth - W) / 2;
        MoveWindow(window, x, y, W, H, FALSE);
        textRect.Width = measured.Width + 10;
    }
    if (measured.Height > textRect.Height) {
        H = static_cast<int>(measured.Height) + marginY;
        y = top + (refHeight - H) / 2;
        MoveWindow(window, x, y, W, H, FALSE);
        textRect.Height = measured.Height + 5;
    }
    if (measured.Height < 30) textRect.Y += 4;

    ButtonSet set = buttonSet(o.buttons.value_or(ButtonsOk));
    const std::vector<std::string>& captions = o.buttonCaptions ? *o.buttonCaptions : set.captions;
    bool glow = o.glowButtons.value_or(0) != 0;
    for (std::size_t i = 1; i <= captions.size(); ++i) {
        std::unique_ptr<DuiTextControl> button;
        if (glow)
            button = std::make_unique<DuiGlowButton>();
        else
            button = std::make_unique<DuiTextButton>();
        TextStyle style;
        style.visible = 0;
        int n = static_cast<int>(i);
        button->create(window, W - 75 * n - 8, H - 35, 70, glow ? 26 : 24, captions[i - 1], style);
        if (!glow) button->contentOffsetY(-1);
        int result = i <= set.results.size() ? set.results[i - 1] : ResultCancel;
        button->tag(std::to_string(record.id) + "|" + std::to_string(result) + "|" +
                    std::to_string(n));
        button->visible(1);
        buttons.push_back(std::move(button));
    }
    std::size_t focus = static_cast<std::size_t>(o.defaultButton.value_or(1));
    if (focus >= 1 && focus <= buttons.size()) host->setFocus(buttons[focus - 1]->handle(), false);

    LabelStyle textStyle;
    textStyle.multiLine = 1;
    textStyle.gradientMode = -1;
    label.create(window, static_cast<int>(textRect.X), static_cast<int>(textRect.Y),
                 static_cast<int>(textRect.Width), static_cast<int>(textRect.Height), shown,
                 textStyle);

    if (o.onBuilt) o.onBuilt(window, W, H);
    if (icon && o.beep.value_or(1)) MessageBeep(static_cast<UINT>(icon));
    if (o.closeAnimation) host->setCloseAnimation(*o.closeAnimation);
    host->show(o.openAnimation.value_or(AnimationNone));
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    runModalLoop(window);
    // A WM_QUIT ends the loop with the box still up; it must not outlive its host.
    if (IsWindow(window)) DestroyWindow(window);
    return record.result;
}

}  // namespace dui
