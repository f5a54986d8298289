#include "ui/DuiHost.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>

#include "ui/DuiCaptionButton.h"
#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiImage.h"
#include "ui/DuiLabel.h"
#include "ui/DuiTextSupport.h"
#include "ui/DuiToolkit.h"
#include "ui/DuiWindowAnimation.h"

namespace dui {

namespace {

// Hosts that exist; the window property is trusted only when it names one of them.
std::unordered_set<DuiHost*>& liveHosts() {
    static auto* hosts = new std::unordered_set<DuiHost*>;
    return *hosts;
}

// The toolkit's own caption controls, until a caller installs others.
// The caption title: the window's text in white at alpha 250, placed by layoutCaption.
std::unique_ptr<DuiControl> createCaptionTitle(HWND window, const std::string& text) {
    auto title = std::make_unique<DuiLabel>();
    LabelStyle style;
    style.textColor = argbColor(RGB(255, 255, 255), 250);
    title->create(window, 0, 9, 0, 18, text, style);
    return title;
}

CaptionHooks standardCaptionHooks() {
    CaptionHooks hooks;
    hooks.createIcon = createCaptionIcon;
    hooks.createTitle = createCaptionTitle;
    hooks.createButton = createCaptionButton;
    hooks.setTitleText = [](DuiControl& title, const std::string& text) {
        static_cast<DuiLabel&>(title).text(text);
    };
    return hooks;
}

CaptionHooks& captionHooks() {
    static auto* hooks = new CaptionHooks(standardCaptionHooks());
    return *hooks;
}

// Sets or clears style bits, writing the style back only when it changes.
void changeStyle(HWND window, int index, DWORD add, DWORD remove) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, index));
    DWORD changed = (style | add) & ~remove;
    if (changed != style) SetWindowLongW(window, index, static_cast<LONG>(changed));
}

TTTOOLINFOA toolInfoFor(HWND window, ToolRecord& record) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window;
    info.rect = record.rect;
    info.lpszText = record.text.data();
    return info;
}

}  // namespace

void setCaptionHooks(CaptionHooks hooks) {
    captionHooks() = std::move(hooks);
}

DuiHost* hostOfWindow(HWND window) {
    if (!window) return nullptr;
    auto* host = static_cast<DuiHost*>(GetPropW(window, kHostProperty));
    if (!host || !liveHosts().count(host) || host->window != window) return nullptr;
    return host;
}

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DuiHost* host = hostOfWindow(window)) return host->windowProc(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

DuiHost::DuiHost() {
    liveHosts().insert(this);
}

DuiHost::~DuiHost() {
    if (previousWndProc) detach(window);
    liveHosts().erase(this);
}

void DuiHost::setBusy(int value) {
    busy = value;
    if (value || deferredAreas.empty()) return;
    std::vector<RectF> areas;
    areas.swap(deferredAreas);
    for (const RectF& area : areas) invalidateRect(area, 0);
}

void DuiHost::holdRedraws() {
    ++redrawsHeld;
}

void DuiHost::releaseRedraws() {
    if (redrawsHeld == 0 || --redrawsHeld > 0) return;
    // The paints' own redraws are still collected, to be composed together below.
    ++redrawsHeld;
    while (!heldPaints.empty()) {
        std::vector<ControlHandle> paints;
        paints.swap(heldPaints);
        for (ControlHandle handle : paints) {
            DuiControl* c = controlFromHandle(handle);
            if (c && c->host() == this) c->sendEvent(WM_PAINT, 0, 0);
        }
    }
    --redrawsHeld;
    if (!heldArea) return;
    const RectF area = *heldArea;
    heldArea.reset();
    compositeArea(window, area, this, composeGraphics(), 1);
}

void DuiHost::collectHeldArea(const RectF& area) {
    if (!heldArea) {
        heldArea = area;
        return;
    }
    const float left = std::min(heldArea->X, area.X), top = std::min(heldArea->Y, area.Y);
    const float right = std::max(heldArea->X + heldArea->Width, area.X + area.Width);
    const float bottom = std::max(heldArea->Y + heldArea->Height, area.Y + area.Height);
    heldArea = RectF(left, top, right - left, bottom - top);
}

void DuiHost::collectHeldPaint(ControlHandle control) {
    if (std::find(heldPaints.begin(), heldPaints.end(), control) == heldPaints.end())
        heldPaints.push_back(control);
}

bool DuiHost::attach(HWND target, const AttachOptions& options) {
    if (!target || !IsWindow(target) || target == window) return false;
    // One window per host and one host per window: every message is routed through the window's
    // single host property, so a second subclass of either kind could not be told apart.
    if (window || hostOfWindow(target)) return false;

    DWORD style = static_cast<DWORD>(GetWindowLongW(target, GWL_STYLE));
    windowAlpha = options.windowAlpha.value_or(-1);
    resizable = options.resizable ? *options.resizable : (style & WS_THICKFRAME ? 1 : 0);
    if (options.blurBehind)
        blurBehind = windowAlpha != -1 ? *options.blurBehind : 0;
    else
        blurBehind = toolkit().osMajorVersion == 6 ? 1 : 0;
    if (options.skinSourceWindow) skinSourceWindow = *options.skinSourceWindow;
    window = target;
    backgroundMode = options.backgroundMode.value_or(0);
    fadeImageEdges = options.fadeImageEdges.value_or(1);
    frameStyle_ = options.frameStyle.value_or(7);
    draggable_ = options.draggable.value_or(1);
    nineGridMargins = options.nineGridMargins;

    int flags = options.captionFlags.value_or(0);
    bool derive = !options.captionFlags || (flags & CaptionFromStyle);
    if (!options.captionFlags || flags != 0) changeStyle(window, GWL_STYLE, WS_SYSMENU, 0);
    if (derive) {
        style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
        flags |= CaptionIcon | CaptionTitle | CaptionClose;
        if (style & WS_MAXIMIZEBOX) flags |= CaptionMaximize;
        if (style & WS_MINIMIZEBOX) flags |= CaptionMinimize;
    }
    captionFlags = flags | CaptionShadow;

    changeStyle(window, GWL_STYLE, WS_POPUP, 0);
    if (!self) self = allocateHandle();
    SetPropW(window, kHostProperty, this);
    cursor = toolkit().defaultCursor;

    DWORD remove = WS_THICKFRAME | WS_DLGFRAME | WS_BORDER;
    if (!(captionFlags & CaptionMinimize)) remove |= WS_MINIMIZEBOX;
    if (!(captionFlags & CaptionMaximize)) remove |= WS_MAXIMIZEBOX;
    changeStyle(window, GWL_STYLE, 0, remove);

    RECT rect{};
    GetWindowRect(window, &rect);
    size = {rect.right - rect.left, rect.bottom - rect.top};
    windowDC = std::make_unique<ScreenDc>(window);
    compose.create(nullptr, size.cx, size.cy, true);
    background.create(windowHdc(), size.cx, size.cy, false);
    ensureScratchSurface(size.cx, size.cy);
    if (isLayered()) changeStyle(window, GWL_EXSTYLE, WS_EX_LAYERED, 0);
    redrawQueue.init(window, this, composeGraphics());

    previousWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hostWindowProcedure)));

    busy = 1;
    buildCaption();
    setBusy(0);
    render(options.backgroundBytes, true,
           options.backColor ? static_cast<int>(*options.backColor) : -1, true, -1, false);
    if (isLayered()) updateLayered(window, composeDC(), size);
    createTooltip();
    if (resizable == 1) changeStyle(window, GWL_STYLE, WS_THICKFRAME, 0);
    return true;
}

void DuiHost::buildCaption() {
    if (!captionFlags) return;
    CaptionHooks& hooks = captionHooks();
    if ((captionFlags & CaptionIcon) && hooks.createIcon) {
        auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
        iconImage = hooks.createIcon(window, icon);
        if (iconImage) iconImage->focusable(0);
    }
    if ((captionFlags & CaptionTitle) && hooks.createTitle) {
        int length = GetWindowTextLengthA(window);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        GetWindowTextA(window, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        titleLabel = hooks.createTitle(window, text);
    }
    captionButtons.clear();
    if (!hooks.createButton) return;
    int x = size.cx - 12;
    for (int bit : {CaptionClose, CaptionMaximize, CaptionMinimize, CaptionExtra32, CaptionExtra64,
                    CaptionExtra128, CaptionExtra256}) {
        if (!(captionFlags & bit)) continue;
        int width = bit == CaptionClose ? 39 : 28;
        x -= width;
        if (auto button = hooks.createButton(window, bit, x, width))
            captionButtons.push_back(std::move(button));
    }
}

void DuiHost::createTooltip() {
    static bool commonControlsReady = [] {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)commonControlsReady;
    tooltipWindow.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                        nullptr, nullptr, nullptr, nullptr));
    if (!tooltipWindow) return;
    SetWindowPos(tooltipWindow.get(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    toolInfo = ToolRecord{};
    SendMessageW(tooltipWindow.get(), TTM_SETMAXTIPWIDTH, 0, 1024);
}

void DuiHost::updateTooltip(ControlHandle control, std::optional<std::string> text) {
    DuiControl* c = controlFromHandle(control);
    if (!c || !tooltipWindow) return;
    TTTOOLINFOA info = toolInfoFor(window, toolInfo);
    SendMessageA(tooltipWindow.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    std::string tip = text ? *text : c->tooltip();
    if (tip.empty()) return;
    RectF b = c->currentBounds();
    toolInfo.rect = {static_cast<LONG>(b.X), static_cast<LONG>(b.Y),
                     static_cast<LONG>(b.X + b.Width), static_cast<LONG>(b.Y + b.Height)};
    toolInfo.text = tip;
    info = toolInfoFor(window, toolInfo);
    SendMessageA(tooltipWindow.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(tooltipWindow.get(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(tooltipWindow.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void DuiHost::detach(HWND target) {
    if (!previousWndProc) return;
    busy = 1;
    if (IsWindow(target) &&
        GetWindowLongPtrW(target, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&hostWindowProcedure))
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
    redrawQueue.clear();
    while (firstControl) {
        ControlHandle first = firstControl;
        DuiControl* c = controlFromHandle(first);
        if (c) c->destroy();
        if (!c || firstControl == first) firstControl = 0;  // never loop on a stuck list
    }
    clipRegion.reset();
    backgroundImage.reset();
    borrowedImage = nullptr;
    if (tooltipWindow) {
        TTTOOLINFOA info = toolInfoFor(target, toolInfo);
        SendMessageA(tooltipWindow.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
        tooltipWindow.reset();
    }
    if (mouseCaptured || trackingMouseLeave) {
        mouseCaptured = trackingMouseLeave = 0;
        ReleaseCapture();
    }
    pressedControl = focusedControl = hoveredControl = focusCueControl = 0;
    lastControl = firstControl = 0;
    captionFlags = 0;
    KillTimer(target, self);
    fade.release();
    compose.release();
    background.release();
    windowDC.reset();
    mnemonics.clear();
    captionButtons.clear();
    iconImage.reset();
    titleLabel.reset();
    deferredAreas.clear();
    RemovePropW(target, kHostProperty);
    previousWndProc = nullptr;
    window = nullptr;
    busy = 0;
}

LRESULT DuiHost::defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    // The queue is flushed synchronously on this thread, so a message arriving here while it
    // flushes came in re-entrantly and must pass on without waiting.
    if (!previousWndProc) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previousWndProc, window, message, wParam, lParam);
}

LRESULT DuiHost::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self_window = window;
    if (messageHook) {
        MessageHook hook = messageHook;  // the hook may replace itself
        int answer = hook(self_window, message, wParam, lParam);
        if (answer != -1) return answer;
    }
    // The closing animation plays before the window is hidden (input handling hides it).
    if (message == WM_CLOSE)
        playCloseAnimation(self_window, composeDC(), windowAlpha, closeAnimation, blurBehind,
                           frameStyle_);
    switch (message) {
        case WM_DESTROY: {
            WNDPROC previous = previousWndProc;
            detach(self_window);
            return CallWindowProcW(previous, self_window, message, wParam, lParam);
        }
        case WM_SIZE:
            onSize(self_window, wParam, lParam);
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(self_window, &paint);
            const RECT& r = paint.rcPaint;
            BitBlt(windowHdc(), r.left, r.top, r.right - r.left, r.bottom - r.top, composeDC(),
                   r.left, r.top, SRCCOPY);
            EndPaint(self_window, &paint);
            break;
        }
        case WM_TIMER: {
            // Only a control's own timer (id = its handle) is routed; other timers pass on.
            DuiControl* c = controlFromHandle(static_cast<ControlHandle>(wParam));
            if (c && c->hostWindow() == self_window)
                dispatchMessage(static_cast<ControlHandle>(wParam), WM_TIMER, wParam, lParam);
            break;
        }
        case WM_SETTEXT: {
            // The title label follows the window text.
            LRESULT result = defaultProcessing(message, wParam, lParam);
            CaptionHooks& hooks = captionHooks();
            if (result == 1 && (captionFlags & CaptionTitle) && titleLabel && hooks.setTitleText &&
                lParam)
                hooks.setTitleText(*titleLabel, wideToAnsi(reinterpret_cast<LPCWSTR>(lParam)));
            return result;
        }
        case FocusGained:
            if (lParam) setFocus(static_cast<ControlHandle>(lParam), false);
            break;
        case PresentWindow:
            updateLayered(self_window, composeDC(), size);
            break;
        case RedrawArea: {
            int mode = static_cast<int>(wParam & 0xFF);
            RectF area;
            if (wParam & RedrawOfControl) {
                DuiControl* c = controlFromHandle(static_cast<ControlHandle>(lParam));
                if (!c || c->hostWindow() != self_window) return 0;  // destroyed meanwhile
                area = c->currentBounds();
            } else {
                if (!lParam) return 0;
                area = *reinterpret_cast<const RectF*>(lParam);
            }
            invalidateRect(area, mode);
            if (mode == 1) return 0;
            break;
        }
        case Moved: {
            auto handle = static_cast<ControlHandle>(wParam);
            DuiControl* c = controlFromHandle(handle);
            if (!c || c->hostWindow() != self_window) return 1;  // nothing left to redraw
            dispatchMessage(handle, Moved, 0, 0);
            if (lParam != 1) return 1;
            if (busy) return 0;
            if (!(c = controlFromHandle(handle))) return 1;
            RectF previous = c->previousBounds();
            RectF current = c->currentBounds();
            compositeArea(self_window, previous, this, composeGraphics(), 1);
            compositeArea(self_window, current, this, composeGraphics(), 1);
            return 1;
        }
        case DeliverEvent: {
            std::optional<EventBlock> block = takeEventBlock(lParam);
            if (!block) return 0;
            return dispatchMessage(static_cast<ControlHandle>(wParam),
                                   static_cast<UINT>(block->code), static_cast<WPARAM>(block->a),
                                   static_cast<LPARAM>(block->b));
        }
        default: {
            LRESULT answer = 0;
            if (handleInput(message, wParam, lParam, answer)) return answer;
            break;
        }
    }
    return defaultProcessing(message, wParam, lParam);
}

void DuiHost::invalidateRect(const RectF& rect, int mode) {
    redrawQueue.add(rect, mode);
}

int DuiHost::draggable(std::optional<int> value) {
    if (value) draggable_ = *value;
    return draggable_;
}

int DuiHost::frameStyle(std::optional<int> value) {
    if (value) frameStyle_ = *value;
    return frameStyle_;
}

void DuiHost::setCursor(ULONG_PTR value, bool isHandle) {
    cursor =
        isHandle ? reinterpret_cast<HCURSOR>(value) : LoadCursorW(nullptr, MAKEINTRESOURCEW(value));
}

void DuiHost::setFocus(ControlHandle control, bool showCue) {
    DuiControl* c = controlFromHandle(control);
    if (!c || c->host() != this) return;
    if (c->disabled() || c->visible() != 1 || !c->focusable() || c->kind() == CaptionButton ||
        focusedControl == control)
        return;
    ControlHandle old = focusedControl;
    focusedControl = control;
    focusCueControl = 0;
    if (DuiControl* previous = controlFromHandle(old))
        previous->sendEvent(FocusLost, 0, static_cast<LPARAM>(control));
    if (showCue) focusCueControl = control;
    if ((c = controlFromHandle(control))) c->sendEvent(FocusGained, 0, static_cast<LPARAM>(old));
}

}  // namespace dui
