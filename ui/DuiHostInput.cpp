// Input side of the host: which messages it consumes, how the control under the mouse is found,
// and how hover, press, click, capture, keyboard focus, mnemonics, window dragging and edge
// resizing move between controls.
#include <algorithm>
#include <string>

#include "ui/DuiHost.h"

namespace dui {

namespace {

constexpr float kTolerance = 1e-7f;

int kindOf(ControlHandle control) {
    DuiControl* c = controlFromHandle(control);
    return c ? c->kind() : 0;
}

bool isVisible(ControlHandle control) {
    DuiControl* c = controlFromHandle(control);
    return c && c->visible() == 1;
}

// Visible and enabled: the controls that clicks from the keyboard may reach.
bool isUsable(ControlHandle control) {
    DuiControl* c = controlFromHandle(control);
    return c && c->visible() == 1 && !c->disabled();
}

int mouseX(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
int mouseY(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}

// The handler is copied first: it may replace itself, or any other handler of the host.
void fire(const ControlEventHook& hook, HWND window, ControlHandle control, WPARAM wParam,
          LPARAM lParam, int kind) {
    ControlEventHook call = hook;
    if (call) call(window, control, wParam, lParam, kind);
}

// Border zone of a point in a width x height window, numbered like the sizing edges
// (WMSZ_LEFT = 1 ... WMSZ_BOTTOMRIGHT = 8); 0 inside. Top and left bands are 8 pixels, right and
// bottom 10, and the top-left corner reaches 10 pixels along the top.
int resizeZone(int x, int y, int w, int h) {
    if (y > 7 && y <= h - 10) return x <= 7 ? 1 : x > w - 10 ? 2 : 0;
    if (y > h - 10) return x < 10 ? 7 : x > w - 10 ? 8 : 6;
    return x <= 9 ? 4 : x > w - 10 ? 5 : 3;
}

// System cursor id (IDC_SIZE*) of a border zone; UNICODE is off, so the IDC_ names are narrow.
WORD zoneCursor(int zone) {
    switch (zone) {
        case 1:
        case 2:
            return 32644;  // IDC_SIZEWE
        case 3:
        case 6:
            return 32645;  // IDC_SIZENS
        case 4:
        case 8:
            return 32642;  // IDC_SIZENWSE
        default:
            return 32643;  // IDC_SIZENESW
    }
}

// Where the mouse was at the message being handled, in screen coordinates: the system's move
// and size loops measure the mouse's travel from this point.
LPARAM messageScreenPoint() {
    return static_cast<LPARAM>(GetMessagePos());
}

WCHAR upperCase(WPARAM character) {
    auto value = static_cast<ULONG_PTR>(static_cast<WCHAR>(character));
    return static_cast<WCHAR>(
        reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(value))));
}

}  // namespace

bool DuiHost::handleInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
    HWND target = window;
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                dispatchMessage(hoveredControl, MouseLeave, 0, lParam);
                if (window == target && mouseCaptured) {
                    mouseCaptured = 0;
                    dispatchMessage(pressedControl, FocusLost, wParam, lParam);
                    ReleaseCapture();
                }
            } else if (pressedControl) {
                dispatchMessage(pressedControl, FocusGained, wParam, lParam);
            }
            return false;
        case WM_CLOSE:
            ShowWindow(target, SW_HIDE);
            return false;
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wParam) != target) return false;
            DuiControl* hovered = controlFromHandle(hoveredControl);
            HCURSOR own = hovered ? hovered->cursor() : nullptr;
            ::SetCursor(own ? own : cursor);
            answer = 1;
            return true;
        }
        case WM_GETMINMAXINFO:
            fillMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            answer = 0;
            return true;
        case WM_STYLECHANGED: {
            if (wParam != static_cast<WPARAM>(GWL_STYLE)) return false;
            DWORD style = static_cast<DWORD>(GetWindowLongW(target, GWL_STYLE));
            if (style & (WS_DLGFRAME | WS_BORDER))
                SetWindowLongW(target, GWL_STYLE,
                               static_cast<LONG>(style & ~(WS_DLGFRAME | WS_BORDER)));
            return false;
        }
        case WM_NCCALCSIZE:
            // The whole window is client area, also with WS_THICKFRAME on a resizable host.
            if (wParam != 1) return false;
            answer = 1;
            return true;
        case WM_NCACTIVATE:
            answer = 1;
            return true;
        case WM_KEYDOWN:
            onKeyDown(message, wParam, lParam);
            return false;
        case WM_KEYUP:
        case WM_CHAR:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_IME_COMPOSITION:
        case WM_COMMAND:
        case WM_MOUSEWHEEL:
            dispatchMessage(focusedControl, message, wParam, lParam);
            return false;
        case WM_SYSCHAR:
            if (!onSysChar(message, wParam, lParam)) return false;
            answer = 0;
            return true;
        case WM_MOUSEMOVE:
            if (!trackingMouseLeave) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, target, 0};
                trackingMouseLeave = TrackMouseEvent(&track) ? 1 : 0;
            }
            onMouse(message, wParam, lParam);
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            onMouse(message, wParam, lParam);
            return false;
        case WM_LBUTTONDBLCLK:
            SendMessageW(target, WM_LBUTTONDOWN, DoubleClickMarker, lParam);
            answer = 0;
            return true;
        case WM_MOUSELEAVE: {
            trackingMouseLeave = 0;
            ReleaseCapture();
            ControlHandle leaving = hoveredControl;
            if (!leaving) return false;
            // Cleared first: a handler that pumps messages may see the mouse enter elsewhere.
            hoveredControl = 0;
            dispatchMessage(leaving, MouseLeave, wParam, lParam);
            if (window == target) fire(mouseLeaveHandler, target, leaving, 0, 0, kindOf(leaving));
            return false;
        }
        case RegisterMnemonic:
            answer = setMnemonic(static_cast<ControlHandle>(wParam), static_cast<int>(lParam));
            return true;
        default:
            return false;
    }
}

void DuiHost::fillMinMaxInfo(MINMAXINFO& info) const {
    WorkArea area = workArea();
    info.ptMaxSize = {area.width + 14, area.height + 14};
    info.ptMaxPosition = {area.left - 7, area.top - 7};
    int buttons = static_cast<int>(captionButtons.size());
    info.ptMinTrackSize.x =
        captionFlags == 0 ? 21 : 28 * buttons + (captionFlags & CaptionClose ? 11 : 0) + 35 + 1;
    info.ptMinTrackSize.y = captionFlags != 0 ? 38 : 20;
}

ControlHandle DuiHost::hitTest(ControlHandle start, int x, int y) const {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    for (ControlHandle h = start; h;) {
        DuiControl* c = controlFromHandle(h);
        if (!c) return 0;
        const RectF& b = c->currentBounds();
        bool inside = fx >= b.X - kTolerance && fy >= b.Y - kTolerance &&
                      fx < b.X + b.Width - kTolerance && fy < b.Y + b.Height - kTolerance;
        if (inside && c->visible() == 1 && !c->disabled()) {
            ControlHandle child = hitTest(c->lastChild(), x, y);
            return child ? child : h;
        }
        h = c->prevSibling();
    }
    return 0;
}

void DuiHost::focusWindow(HWND target) {
    HWND focus = GetFocus();
    if (focus == target) return;
    if (focus) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
    SetFocus(target);
}

void DuiHost::enterControl(ControlHandle control, ControlHandle previous, WPARAM wParam,
                           LPARAM lParam) {
    HWND target = window;
    dispatchMessage(control, MouseEnter, wParam, previous);
    if (window != target) return;
    fire(mouseEnterHandler, target, control, wParam, lParam, kindOf(control));
    if (window != target) return;
    updateTooltip(control, std::nullopt);
}

void DuiHost::toggleMaximize() {
    HWND target = window;
    PostMessageW(target, WM_SYSCOMMAND, IsZoomed(target) ? SC_RESTORE : SC_MAXIMIZE, 0);
    SendMessageW(target, WM_NCLBUTTONDOWN, HTCAPTION, messageScreenPoint());
}

void DuiHost::startWindowDrag() {
    // The system's move loop runs until the button is released.
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, messageScreenPoint());
}

void DuiHost::onMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (busy == 1 || handleResizeBorder(message, lParam)) return;
    HWND target = window;
    const int x = mouseX(lParam);
    const int y = mouseY(lParam);

    if (mouseCaptured == 1) {
        ControlHandle pressed = pressedControl;
        dispatchMessage(pressed, message, pressed, lParam);
        if (message != WM_LBUTTONUP || window != target) return;
        fire(mouseUpHandler, target, 0, wParam, lParam, 0);
        if (window != target) return;
        ReleaseCapture();
        ControlHandle r = hitTest(lastControl, x, y);
        pressed = pressedControl;
        int leaveKind = kindOf(hoveredControl);
        // The press is over before the click runs: a click handler that pumps messages must see
        // later presses as new ones, not as more of this one.
        mouseCaptured = 0;
        pressedControl = 0;
        hoveredControl = r;
        if (r && r == pressed) {
            dispatchMessage(r, Click, pressed, lParam);
            if (window != target) return;
            fire(clickHandler, target, r, wParam, lParam, kindOf(r));
        } else if (isVisible(pressed)) {
            dispatchMessage(pressed, MouseLeave, wParam, r);
            if (window != target) return;
            fire(mouseLeaveHandler, target, pressed, wParam, lParam, leaveKind);
            if (window != target) return;
            enterControl(r, pressed, wParam, lParam);
        }
        return;
    }

    ControlHandle r = hitTest(lastControl, x, y);
    ControlHandle hovered = hoveredControl;
    if (r != hovered && isVisible(hovered)) {
        dispatchMessage(hovered, MouseLeave, wParam, r);
        if (window != target) return;
        fire(mouseLeaveHandler, target, hovered, wParam, lParam, kindOf(hovered));
        if (window != target) return;
    }

    switch (message) {
        case WM_LBUTTONDOWN: {
            focusWindow(target);
            if (window != target) return;
            const bool twice = wParam == DoubleClickMarker;
            if (!r) {
                if (twice) {
                    if (y < 30 && (captionFlags & CaptionMaximize)) toggleMaximize();
                } else if (draggable_) {
                    startWindowDrag();
                }
                break;
            }
            int pressable = dispatchMessage(r, QueryPressable, 0, 0);
            DuiControl* c = controlFromHandle(r);
            if (window != target) return;
            if (c && (pressable != -1 || c->focusable() == 1)) {
                fire(mouseDownHandler, target, r, wParam, lParam, kindOf(r));
                if (window != target) return;
                mouseCaptured = 1;
                pressedControl = r;
                c = controlFromHandle(r);
                if (c && c->focusable() == 1 && r != focusedControl) {
                    ControlHandle old = focusedControl;
                    focusedControl = r;
                    focusCueControl = 0;
                    dispatchMessage(old, FocusLost, wParam, r);
                    if (window != target) return;
                    fire(blurHandler, target, old, wParam, lParam, kindOf(old));
                    if (window != target) return;
                    dispatchMessage(r, FocusGained, wParam, old);
                    if (window != target) return;
                    fire(focusHandler, target, r, wParam, lParam, kindOf(r));
                    if (window != target) return;
                }
                if (twice) fire(doubleClickHandler, target, r, wParam, lParam, kindOf(r));
                if (window != target) return;
                // A deactivation while the handlers ran has ended the press already.
                if (mouseCaptured) SetCapture(target);
            } else if (twice && (captionFlags & CaptionTitle) && (captionFlags & CaptionMaximize) &&
                       titleLabel && r == titleLabel->handle()) {
                toggleMaximize();
                if (window != target) return;
            }
            if (!mouseCaptured && draggable_ == 1) startWindowDrag();
            break;
        }
        case WM_MOUSEMOVE:
            if (r != hoveredControl) enterControl(r, hoveredControl, wParam, lParam);
            break;
        case WM_RBUTTONDOWN:
            fire(rightDownHandler, target, r, wParam, lParam, kindOf(r));
            break;
        case WM_RBUTTONUP:
            fire(rightUpHandler, target, r, wParam, lParam, kindOf(r));
            break;
        default:
            break;
    }
    if (window != target) return;
    if (r) dispatchMessage(r, message, wParam, lParam);
    if (window != target) return;
    hoveredControl = controlFromHandle(r) ? r : 0;
}

bool DuiHost::handleResizeBorder(UINT message, LPARAM lParam) {
    if (resizable != 1 || mouseCaptured || (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN) ||
        IsZoomed(window))
        return false;
    int zone = resizeZone(mouseX(lParam), mouseY(lParam), size.cx, size.cy);
    if (zone == 0) return false;
    ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(zoneCursor(zone))));
    if (ControlHandle leaving = hoveredControl) {
        hoveredControl = 0;
        dispatchMessage(leaving, MouseLeave, 0, 0);
    }
    // The system's sizing loop with that edge runs until the button is released.
    if (message == WM_LBUTTONDOWN && window)
        SendMessageW(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(zone),
                     messageScreenPoint());
    return true;
}

void DuiHost::onKeyDown(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = window;
    ControlHandle focused = focusedControl;
    const bool hadFocus = controlFromHandle(focused) != nullptr;
    int result = dispatchMessage(focused, message, wParam, lParam);
    if (window != target || (hadFocus && result != -1)) return;

    if (wParam == VK_TAB) {
        // Walk the top-level list once, from the control after the focused one's top-level
        // ancestor, wrapping at the end; with nothing focused every control is a candidate.
        focused = focusedControl;
        ControlHandle stop = 0;
        ControlHandle c = firstControl;
        if (DuiControl* start = controlFromHandle(focused)) {
            while (start->parent() && controlFromHandle(start->parent()))
                start = controlFromHandle(start->parent());
            stop = start->handle();
            c = stop == lastControl ? firstControl : start->nextSibling();
        }
        std::size_t rounds = 0;
        for (ControlHandle h = firstControl; h; ++rounds) {
            DuiControl* each = controlFromHandle(h);
            h = each ? each->nextSibling() : 0;
        }
        for (std::size_t step = 0; c && step <= rounds; ++step) {
            if (c == stop) break;
            DuiControl* each = controlFromHandle(c);
            if (!each) break;
            if (each->visible() == 1 && each->focusable() && !each->disabled() &&
                each->kind() != CaptionButton) {
                if (c != focusedControl) setFocus(c, true);
                break;
            }
            c = each->nextSibling() ? each->nextSibling() : firstControl;
            if (!stop && c == firstControl) break;
        }
    } else if (wParam == VK_RETURN || wParam == VK_SPACE) {
        focused = focusedControl;
        if (isUsable(focused)) {
            dispatchMessage(focused, Click, 0, 0);
            if (window == target) fire(clickHandler, target, focused, 0, 0, kindOf(focused));
        }
    }
}

bool DuiHost::onSysChar(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = window;
    dispatchMessage(focusedControl, message, wParam, lParam);
    if (window != target) return false;
    const WCHAR wanted = upperCase(wParam);
    auto winner = std::find_if(mnemonics.begin(), mnemonics.end(), [&](const Mnemonic& m) {
        return upperCase(static_cast<WPARAM>(m.key)) == wanted && isUsable(m.control);
    });
    if (winner == mnemonics.end()) return false;
    ControlHandle control = winner->control;
    dispatchMessage(control, Click, 0, 0);
    if (window == target) fire(clickHandler, target, control, wParam, lParam, kindOf(control));
    return true;
}

int DuiHost::setMnemonic(ControlHandle control, int key) {
    auto entry = std::find_if(mnemonics.begin(), mnemonics.end(),
                              [&](const Mnemonic& m) { return m.control == control; });
    if (key) {
        if (entry != mnemonics.end())
            entry->key = key;
        else
            mnemonics.push_back({control, key});
    } else if (entry != mnemonics.end()) {
        mnemonics.erase(entry);
    }
    return 1;
}

}  // namespace dui
