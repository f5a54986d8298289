#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiCaptionButton.h"
#include "ui/DuiImage.h"

#include <commctrl.h>  // after windows.h

namespace dui {
namespace {

using test::pumpFor;
using test::pumpUntil;
using test::ToolkitTest;

struct Received {
    UINT code;
    WPARAM a;
    LPARAM b;
};

// A control that records every message its class receives and answers the host's questions as
// told: QueryPressable (-1: decide by focusable) and key presses (-1: not handled).
class Probe : public DuiControl {
public:
    int pressable = -1;
    int keyAnswer = -1;
    std::vector<Received> got;

    ControlHandle make(ControlParent where, RectF bounds, int kind = Button, int focusable = 1) {
        return create(where, bounds, kind, 1, focusable);
    }
    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override {
        if (code == WM_CREATE || code == WM_PAINT || code == Shown || code == Hidden)
            return DuiControl::handleMessage(handle, code, a, b);
        got.push_back({code, a, b});
        if (code == QueryPressable) return pressable;
        if (code == WM_KEYDOWN) return keyAnswer;
        return DuiControl::handleMessage(handle, code, a, b);
    }
    int count(UINT code) const {
        return static_cast<int>(std::count_if(got.begin(), got.end(),
                                              [&](const Received& r) { return r.code == code; }));
    }
    // The last message of that code, or {0, 0, 0}.
    Received last(UINT code) const {
        for (auto it = got.rbegin(); it != got.rend(); ++it)
            if (it->code == code) return *it;
        return {0, 0, 0};
    }
};

// Stands in for the window's own procedure: records what the host passes on and keeps the
// system's move and size loops from starting (they would wait for a button release that a sent
// message never brings).
struct PassedOn {
    static inline WNDPROC classProc = nullptr;
    static inline std::vector<Received> seen;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        seen.push_back({m, wp, lp});
        if (m == WM_NCLBUTTONDOWN || m == WM_SYSCOMMAND) return 0;
        return CallWindowProcW(classProc, w, m, wp, lp);
    }
    static void install(HWND w) {
        seen.clear();
        classProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
    }
    static int count(UINT m, WPARAM wp) {
        return static_cast<int>(std::count_if(
            seen.begin(), seen.end(), [&](const Received& r) { return r.code == m && r.a == wp; }));
    }
};

// One call of a host handler.
struct HandlerCall {
    std::string name;
    ControlHandle control;
    int kind;
    bool operator==(const HandlerCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const HandlerCall& call) {
    return out << call.name << "(" << call.control << ", kind " << call.kind << ")";
}

class HostInputTest : public ToolkitTest {
protected:
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<DuiHost>> hosts;
    HWND window = nullptr;
    DuiHost* host = nullptr;
    std::vector<HandlerCall> calls;

    void TearDown() override {
        for (HWND w : windows)
            if (IsWindow(w)) DestroyWindow(w);
        hosts.clear();
        pumpFor(1);
    }
    // A hidden 300 x 200 window with a host; the window's own procedure records what passes on.
    DuiHost& attachNew(AttachOptions options = {}, DWORD style = WS_POPUP) {
        window = createToolkitWindow(nullptr, "input", 40, 40, 300, 200, nullptr, style, 0);
        windows.push_back(window);
        PassedOn::install(window);
        if (!options.captionFlags) options.captionFlags = 0;
        if (!options.frameStyle) options.frameStyle = 1;
        hosts.push_back(std::make_unique<DuiHost>());
        host = hosts.back().get();
        EXPECT_TRUE(host->attach(window, options));
        recordHandlers(*host);
        return *host;
    }
    void recordHandlers(DuiHost& h) {
        auto recorder = [this](const char* name) {
            return [this, name](HWND, ControlHandle control, WPARAM, LPARAM, int kind) {
                calls.push_back({name, control, kind});
            };
        };
        h.setMouseDownHandler(recorder("down"));
        h.setMouseUpHandler(recorder("up"));
        h.setClickHandler(recorder("click"));
        h.setDoubleClickHandler(recorder("double"));
        h.setRightDownHandler(recorder("rightDown"));
        h.setRightUpHandler(recorder("rightUp"));
        h.setMouseEnterHandler(recorder("enter"));
        h.setMouseLeaveHandler(recorder("leave"));
        h.setFocusHandler(recorder("focus"));
        h.setBlurHandler(recorder("blur"));
    }
    LRESULT mouse(UINT message, int x, int y, WPARAM wParam = 0) {
        return SendMessageW(window, message, wParam, MAKELPARAM(x, y));
    }
    LRESULT key(UINT message, WPARAM key) { return SendMessageW(window, message, key, 0); }
    bool posted(UINT message, WPARAM wParam) {
        MSG msg;
        bool found = false;
        while (PeekMessageW(&msg, window, message, message, PM_REMOVE))
            found = found || msg.wParam == wParam;
        return found;
    }
};

TEST_F(HostInputTest, HitTestFindsTheTopmostUsableControl) {
    attachNew();
    Probe under, over, child1, child2;
    under.make(window, RectF(10, 10, 100, 100));
    child1.make(under.handle(), RectF(20, 20, 30, 30));
    child2.make(under.handle(), RectF(25, 25, 30, 30));
    over.make(window, RectF(50, 50, 100, 100));
    auto at = [&](int x, int y) { return host->hitTest(host->lastControl, x, y); };

    EXPECT_EQ(at(60, 60), over.handle());  // created later, drawn on top
    EXPECT_EQ(at(30, 30), child2.handle());
    EXPECT_EQ(at(22, 22), child1.handle());
    EXPECT_EQ(at(100, 15), under.handle());
    EXPECT_EQ(at(10, 10), under.handle());  // left and top edges belong to the control
    EXPECT_EQ(at(149, 149), over.handle());
    EXPECT_EQ(at(150, 60), 0u);  // right and bottom edges do not
    EXPECT_EQ(at(60, 150), 0u);
    EXPECT_EQ(at(5, 5), 0u);

    over.disabled(1);
    EXPECT_EQ(at(60, 60), under.handle());
    over.disabled(0);
    over.visible(0);
    EXPECT_EQ(at(60, 60), under.handle());
    child2.visible(0);
    EXPECT_EQ(at(30, 30), child1.handle());
}

TEST_F(HostInputTest, PressMoveOffAndReleaseLeavesWithoutAClick) {
    attachNew();
    Probe button, label;
    button.make(window, RectF(10, 10, 50, 30));
    label.make(window, RectF(100, 10, 50, 30), Label, 0);
    ControlHandle b = button.handle(), l = label.handle();

    mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(button.count(MouseEnter), 1);
    EXPECT_EQ(host->hoveredControl, b);
    calls.clear();

    mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_EQ(host->mouseCaptured, 1);
    EXPECT_EQ(host->pressedControl, b);
    EXPECT_EQ(host->focusedControl, b);
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(button.count(FocusGained), 1);
    EXPECT_EQ(button.count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(calls, (std::vector<HandlerCall>{
                         {"down", b, Button}, {"blur", 0, 0}, {"focus", b, Button}}));
    calls.clear();

    // While captured every mouse message goes to the pressed control, wParam = its handle.
    mouse(WM_MOUSEMOVE, 120, 20, MK_LBUTTON);
    EXPECT_EQ(button.last(WM_MOUSEMOVE).a, b);
    EXPECT_EQ(label.count(MouseEnter), 0);

    mouse(WM_LBUTTONUP, 120, 20);
    EXPECT_EQ(button.count(WM_LBUTTONUP), 1);
    EXPECT_EQ(button.count(Click), 0);
    EXPECT_EQ(button.last(MouseLeave).b, static_cast<LPARAM>(l));
    EXPECT_EQ(label.last(MouseEnter).b, static_cast<LPARAM>(b));
    EXPECT_EQ(calls,
              (std::vector<HandlerCall>{{"up", 0, 0}, {"leave", b, Button}, {"enter", l, Label}}));
    EXPECT_EQ(host->mouseCaptured, 0);
    EXPECT_EQ(host->pressedControl, 0u);
    EXPECT_EQ(host->hoveredControl, l);
    EXPECT_NE(GetCapture(), window);

    // Pressed and released on the button: a click, with the button's handle as wParam.
    calls.clear();
    mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    mouse(WM_LBUTTONUP, 25, 25);
    EXPECT_EQ(button.count(Click), 1);
    EXPECT_EQ(button.last(Click).a, b);
    EXPECT_EQ(button.last(Click).b, MAKELPARAM(25, 25));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), HandlerCall{"click", b, Button}), 1);
    EXPECT_EQ(host->hoveredControl, b);
    EXPECT_EQ(label.count(Click), 0);
}

TEST_F(HostInputTest, RightButtonAndHoverReachTheControlUnderTheMouse) {
    attachNew();
    Probe a;
    a.make(window, RectF(10, 10, 50, 30), Image, 0);
    mouse(WM_RBUTTONDOWN, 20, 20);
    mouse(WM_RBUTTONUP, 20, 20);
    mouse(WM_RBUTTONUP, 200, 100);
    EXPECT_EQ(a.count(WM_RBUTTONDOWN), 1);
    EXPECT_EQ(a.count(WM_RBUTTONUP), 1);
    EXPECT_EQ(host->mouseCaptured, 0);  // right presses never capture
    EXPECT_EQ(calls, (std::vector<HandlerCall>{{"rightDown", a.handle(), Image},
                                               {"rightUp", a.handle(), Image},
                                               {"leave", a.handle(), Image},
                                               {"rightUp", 0, 0}}));
}

TEST_F(HostInputTest, DoubleClickIsASecondMarkedPress) {
    attachNew();
    Probe button;
    button.make(window, RectF(10, 40, 50, 30));
    int bound = 0;
    button.bindEvent(515, [&](const EventArgs&) { ++bound; });
    mouse(WM_LBUTTONDOWN, 20, 50, MK_LBUTTON);
    mouse(WM_LBUTTONUP, 20, 50);
    calls.clear();
    EXPECT_EQ(mouse(WM_LBUTTONDBLCLK, 20, 50, MK_LBUTTON), 0);
    EXPECT_EQ(button.count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(button.last(WM_LBUTTONDOWN).a, DoubleClickMarker);
    EXPECT_EQ(bound, 1);
    EXPECT_EQ(calls, (std::vector<HandlerCall>{{"down", button.handle(), Button},
                                               {"double", button.handle(), Button}}));
    mouse(WM_LBUTTONUP, 20, 50);
    EXPECT_EQ(button.count(Click), 2);
}

TEST_F(HostInputTest, DoubleClickNearTheTopTogglesMaximiseOnlyWithAMaximizeButton) {
    struct Case {
        int flags;
        int y;
        bool toggles;
    } cases[] = {{CaptionMaximize, 20, true},
                 {CaptionMaximize, 29, true},
                 {CaptionMaximize, 30, false},
                 {CaptionClose, 20, false},
                 {0, 20, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " y " << c.y);
        AttachOptions options;
        options.captionFlags = c.flags;
        attachNew(options);
        PassedOn::seen.clear();
        mouse(WM_LBUTTONDBLCLK, 100, c.y);
        EXPECT_EQ(posted(WM_SYSCOMMAND, SC_MAXIMIZE), c.toggles);
        // No window drag either when it does not toggle.
        EXPECT_EQ(PassedOn::count(WM_NCLBUTTONDOWN, HTCAPTION), c.toggles ? 1 : 0);
        EXPECT_EQ(host->mouseCaptured, 0);
    }
}

TEST_F(HostInputTest, PressesThatNoControlTakesDragTheWindow) {
    attachNew();
    Probe label, button;
    label.make(window, RectF(10, 10, 50, 30), Label, 0);
    button.make(window, RectF(100, 10, 50, 30));
    struct Case {
        int x, y, draggable;
        bool drags;
    } cases[] = {{20, 20, 1, true},    // a label refuses the press
                 {200, 150, 1, true},  // empty client area
                 {120, 20, 1, false},  // a button takes it
                 {20, 20, 0, false},   // dragging switched off
                 {200, 150, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " draggable " << c.draggable);
        host->draggable(c.draggable);
        PassedOn::seen.clear();
        mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        EXPECT_EQ(PassedOn::count(WM_NCLBUTTONDOWN, HTCAPTION), c.drags ? 1 : 0);
        mouse(WM_LBUTTONUP, c.x, c.y);
    }
    EXPECT_EQ(label.count(FocusGained), 0);
    EXPECT_EQ(label.count(WM_LBUTTONDOWN), 2);  // the press still reaches the label
    EXPECT_EQ(host->focusedControl, button.handle());
    // A control that is not focusable but pressable (a caption button) takes the press.
    Probe pressable;
    pressable.pressable = 0;
    pressable.make(window, RectF(200, 10, 30, 20), CaptionButton, 0);
    PassedOn::seen.clear();
    host->draggable(1);
    mouse(WM_LBUTTONDOWN, 210, 15, MK_LBUTTON);
    EXPECT_EQ(PassedOn::count(WM_NCLBUTTONDOWN, HTCAPTION), 0);
    EXPECT_EQ(host->pressedControl, pressable.handle());
    EXPECT_EQ(host->focusedControl, button.handle());
}

TEST_F(HostInputTest, TabMovesTheFocusOverUsableControlsAndWraps) {
    attachNew();
    Probe caption, a, disabled, hidden, label, e;
    caption.make(window, RectF(0, 0, 10, 10), CaptionButton);
    a.make(window, RectF(0, 20, 10, 10));
    disabled.make(window, RectF(0, 40, 10, 10));
    disabled.disabled(1);
    hidden.make(window, RectF(0, 60, 10, 10));
    hidden.visible(0);
    label.make(window, RectF(0, 80, 10, 10), Label, 0);
    e.make(window, RectF(0, 100, 10, 10));

    // Nothing focused: the first usable control.
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, a.handle());
    EXPECT_EQ(host->focusCueControl, a.handle());
    EXPECT_EQ(a.last(FocusGained).b, 0);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, e.handle());
    EXPECT_EQ(a.last(FocusLost).b, static_cast<LPARAM>(e.handle()));
    EXPECT_EQ(e.last(FocusGained).b, static_cast<LPARAM>(a.handle()));
    key(WM_KEYDOWN, VK_TAB);  // wraps past the caption button
    EXPECT_EQ(host->focusedControl, a.handle());
    EXPECT_EQ(caption.count(FocusGained) + disabled.count(FocusGained) + hidden.count(FocusGained) +
                  label.count(FocusGained),
              0);
    EXPECT_TRUE(calls.empty());  // keyboard focus changes call no focus or blur handler

    // A focused child moves on from its top-level ancestor.
    Probe child;
    child.make(a.handle(), RectF(0, 20, 5, 5));
    host->setFocus(child.handle(), false);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, e.handle());

    // The only usable control keeps the focus.
    a.disabled(1);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, e.handle());
}

TEST_F(HostInputTest, TabAmongLabelsOnlyChangesNothing) {
    attachNew();
    Probe l1, l2;
    l1.make(window, RectF(0, 0, 10, 10), Label, 0);
    l2.make(window, RectF(0, 20, 10, 10), Image, 0);
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, 0u);
    EXPECT_EQ(host->focusCueControl, 0u);
    // And with no controls at all.
    attachNew();
    key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(host->focusedControl, 0u);
}

TEST_F(HostInputTest, EnterAndSpaceClickTheFocusedControl) {
    attachNew();
    Probe a;
    a.make(window, RectF(0, 0, 10, 10));
    key(WM_KEYDOWN, VK_RETURN);  // nothing focused: nothing clicked
    EXPECT_EQ(a.count(Click), 0);
    host->setFocus(a.handle(), true);
    key(WM_KEYDOWN, VK_RETURN);
    key(WM_KEYDOWN, VK_SPACE);
    key(WM_KEYDOWN, 'X');
    EXPECT_EQ(a.count(Click), 2);
    EXPECT_EQ(a.count(WM_KEYDOWN), 3);  // the focused control sees every key first
    EXPECT_EQ(calls, (std::vector<HandlerCall>{{"click", a.handle(), Button},
                                               {"click", a.handle(), Button}}));
    a.keyAnswer = 0;  // the control handles the key itself
    key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(a.count(Click), 2);
    a.keyAnswer = -1;
    a.visible(0);
    key(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(a.count(Click), 2);
    // Keys go on to the window's own procedure in every case.
    EXPECT_EQ(PassedOn::count(WM_KEYDOWN, VK_RETURN), 3);
}

TEST_F(HostInputTest, AltLetterClicksTheControlWithThatMnemonic) {
    attachNew();
    Probe hidden, disabled, target, other;
    hidden.make(window, RectF(0, 0, 10, 10));
    disabled.make(window, RectF(0, 20, 10, 10));
    target.make(window, RectF(0, 40, 10, 10));
    other.make(window, RectF(0, 60, 10, 10));
    for (Probe* p : {&hidden, &disabled, &target})
        EXPECT_EQ(SendMessageW(window, RegisterMnemonic, p->handle(), 'A'), 1);
    EXPECT_EQ(SendMessageW(window, RegisterMnemonic, other.handle(), 'X'), 1);
    EXPECT_EQ(SendMessageW(window, RegisterMnemonic, other.handle(), 'B'), 1);  // replaces X
    ASSERT_EQ(host->mnemonics.size(), 4u);
    hidden.visible(0);
    disabled.disabled(1);

    PassedOn::seen.clear();
    EXPECT_EQ(key(WM_SYSCHAR, 'a'), 0);
    EXPECT_EQ(key(WM_SYSCHAR, 'A'), 0);
    EXPECT_EQ(target.count(Click), 2);
    EXPECT_EQ(hidden.count(Click) + disabled.count(Click), 0);
    EXPECT_EQ(PassedOn::count(WM_SYSCHAR, 'a'), 0);  // consumed
    EXPECT_EQ(std::count(calls.begin(), calls.end(), HandlerCall{"click", target.handle(), Button}),
              2);
    key(WM_SYSCHAR, 'x');
    key(WM_SYSCHAR, 'b');
    EXPECT_EQ(other.count(Click), 1);
    key(WM_SYSCHAR, 'z');  // no mnemonic: passed on
    EXPECT_EQ(PassedOn::count(WM_SYSCHAR, 'z'), 1);

    host->setMnemonic(target.handle(), 0);
    EXPECT_EQ(host->mnemonics.size(), 3u);
    key(WM_SYSCHAR, 'a');
    EXPECT_EQ(target.count(Click), 2);
}

TEST_F(HostInputTest, BorderBandsResizeTheWindow) {
    AttachOptions options;
    options.resizable = 1;
    attachNew(options, WS_POPUP | WS_THICKFRAME);
    ASSERT_EQ(host->size.cx, 300);
    ASSERT_EQ(host->size.cy, 200);
    struct Case {
        int x, y, zone;
    } cases[] = {
        {8, 100, 0},   {7, 100, 1}, {290, 100, 0}, {291, 100, 2}, {150, 8, 0},
        {150, 7, 3},   {9, 3, 4},   {10, 3, 3},    {291, 3, 5},   {150, 190, 0},
        {150, 191, 6}, {9, 191, 7}, {10, 191, 6},  {291, 199, 8}, {150, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(host->handleResizeBorder(WM_MOUSEMOVE, MAKELPARAM(c.x, c.y)), c.zone != 0);
        EXPECT_FALSE(host->handleResizeBorder(WM_RBUTTONDOWN, MAKELPARAM(c.x, c.y)));
        PassedOn::seen.clear();
        mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        EXPECT_EQ(PassedOn::count(WM_SYSCOMMAND, SC_SIZE | c.zone), c.zone ? 1 : 0);
        mouse(WM_LBUTTONUP, c.x, c.y);
    }

    // Entering a band leaves the hovered control.
    Probe edge;
    edge.make(window, RectF(0, 50, 50, 50));
    mouse(WM_MOUSEMOVE, 20, 60);
    EXPECT_EQ(host->hoveredControl, edge.handle());
    mouse(WM_MOUSEMOVE, 3, 60);
    EXPECT_EQ(host->hoveredControl, 0u);
    EXPECT_EQ(edge.count(MouseLeave), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32644)));  // IDC_SIZEWE

    // While a control holds the mouse the band is ordinary client area.
    mouse(WM_LBUTTONDOWN, 20, 60, MK_LBUTTON);
    EXPECT_FALSE(host->handleResizeBorder(WM_MOUSEMOVE, MAKELPARAM(3, 60)));
    mouse(WM_LBUTTONUP, 20, 60);

    host->resizable = 0;
    EXPECT_FALSE(host->handleResizeBorder(WM_MOUSEMOVE, MAKELPARAM(3, 60)));
}

TEST_F(HostInputTest, TheWholeWindowIsClientArea) {
    AttachOptions options;
    options.resizable = 1;
    attachNew(options, WS_POPUP | WS_THICKFRAME);
    ASSERT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME);
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = {40, 40, 340, 240};
    EXPECT_EQ(SendMessageW(window, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&params)), 1);
    EXPECT_EQ(params.rgrc[0].left, 40);
    EXPECT_EQ(params.rgrc[0].bottom, 240);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);

    // A frame style added later is taken away again.
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CAPTION);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME));
    EXPECT_EQ(SendMessageW(window, WM_NCACTIVATE, 0, 0), 1);
}

TEST_F(HostInputTest, MinMaxInfoCoversTheWorkAreaAndTheCaption) {
    WorkArea area = workArea();
    struct Case {
        int flags, minWidth, minHeight;
    } cases[] = {
        {0, 36, 38},  // the shadow bit alone still counts as a caption
        {CaptionClose, 28 + 11 + 36, 38},
        {CaptionClose | CaptionMaximize | CaptionMinimize, 3 * 28 + 11 + 36, 38},
        {CaptionMinimize, 28 + 36, 38},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        AttachOptions options;
        options.captionFlags = c.flags;
        attachNew(options);
        MINMAXINFO info{};
        EXPECT_EQ(SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
        EXPECT_EQ(info.ptMaxSize.x, area.width + 14);
        EXPECT_EQ(info.ptMaxSize.y, area.height + 14);
        EXPECT_EQ(info.ptMaxPosition.x, area.left - 7);
        EXPECT_EQ(info.ptMaxPosition.y, area.top - 7);
        EXPECT_EQ(info.ptMinTrackSize.x, c.minWidth);
        EXPECT_EQ(info.ptMinTrackSize.y, c.minHeight);
    }
}

TEST_F(HostInputTest, LeavingTheWindowAndLosingActivation) {
    attachNew();
    Probe a;
    a.make(window, RectF(10, 10, 50, 30), Image, 0);
    mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(host->trackingMouseLeave, 1);
    calls.clear();
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(a.count(MouseLeave), 1);
    EXPECT_EQ(calls, (std::vector<HandlerCall>{{"leave", a.handle(), Image}}));
    EXPECT_EQ(host->hoveredControl, 0u);
    EXPECT_EQ(host->trackingMouseLeave, 0);
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);  // nothing hovered: nothing more
    EXPECT_EQ(a.count(MouseLeave), 1);

    // Deactivation ends a press: the pressed control loses the mouse and the capture goes.
    Probe button;
    button.make(window, RectF(100, 10, 50, 30));
    mouse(WM_LBUTTONDOWN, 110, 20, MK_LBUTTON);
    ASSERT_EQ(host->mouseCaptured, 1);
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(button.count(MouseLeave), 1);
    EXPECT_EQ(button.count(FocusLost), 1);
    EXPECT_EQ(host->mouseCaptured, 0);
    EXPECT_NE(GetCapture(), window);
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(button.count(FocusGained), 2);  // once from the press, once from reactivation
    // The release after that is an ordinary uncaptured one: no click.
    mouse(WM_LBUTTONUP, 110, 20);
    EXPECT_EQ(button.count(Click), 0);
}

TEST_F(HostInputTest, BusyHostsIgnoreTheMouse) {
    attachNew();
    Probe a;
    a.make(window, RectF(10, 10, 50, 30));
    host->busy = 1;
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP})
        mouse(m, 20, 20);
    mouse(WM_LBUTTONDBLCLK, 20, 20);
    EXPECT_TRUE(a.got.empty());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(host->hoveredControl, 0u);
    EXPECT_EQ(host->mouseCaptured, 0);
    host->busy = 0;
    mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(a.count(MouseEnter), 1);
}

TEST_F(HostInputTest, HoveringAControlWithATooltipMakesItTheSingleTool) {
    attachNew();
    Probe a, b, c;
    a.make(window, RectF(10, 10, 50, 30));
    a.tooltip(std::string("tip A"));
    b.make(window, RectF(100, 10, 50, 30));
    c.make(window, RectF(200, 10, 40, 20));
    c.tooltip(std::string("tip C"));
    HWND tips = host->tooltipWindow.get();
    ASSERT_NE(tips, nullptr);
    auto tool = [&](RECT& rect) {
        char text[80] = {};
        TTTOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.lpszText = text;
        if (!SendMessageA(tips, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&info)))
            return std::string("<none>");
        rect = info.rect;
        return std::string(text);
    };
    RECT rect{};
    mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tool(rect), "tip A");
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 60);
    EXPECT_EQ(rect.bottom, 40);
    mouse(WM_MOUSEMOVE, 210, 15);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tool(rect), "tip C");
    EXPECT_EQ(rect.right, 240);
    mouse(WM_MOUSEMOVE, 110, 20);  // no tooltip of its own: the tool goes
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 0);
    mouse(WM_MOUSEMOVE, 280, 150);  // empty area: the tooltip stays as it is
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(HostInputTest, TimersOfAnotherHostsControlAreNotDispatched) {
    attachNew();
    Probe mine;
    mine.make(window, RectF(0, 0, 10, 10));
    HWND first = window;
    attachNew();
    Probe theirs;
    theirs.make(window, RectF(0, 0, 10, 10));
    SendMessageW(first, WM_TIMER, theirs.handle(), 0);
    SendMessageW(first, WM_TIMER, mine.handle() + 1, 0);
    EXPECT_EQ(theirs.count(WM_TIMER), 0);
    EXPECT_EQ(mine.count(WM_TIMER), 0);
    SendMessageW(first, WM_TIMER, mine.handle(), 5);
    EXPECT_EQ(mine.last(WM_TIMER).b, 5);
}

// Handlers may pump messages or send more input to the same window while the host is inside
// a dispatch; the host then sees the later input as new input.
TEST_F(HostInputTest, AClickHandlerThatPumpsSeesLaterPressesAsNewOnes) {
    attachNew();
    Probe button;
    button.make(window, RectF(10, 10, 50, 30));
    int depth = 0, clicks = 0;
    host->setClickHandler([&](HWND w, ControlHandle, WPARAM, LPARAM, int) {
        ++clicks;
        if (depth++ == 0) {
            EXPECT_EQ(host->mouseCaptured, 0);
            SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
            SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
            pumpFor(10);
        }
        --depth;
    });
    mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button.count(Click), 2);
    EXPECT_EQ(host->mouseCaptured, 0);
    EXPECT_EQ(host->pressedControl, 0u);

    // A handler that destroys the window leaves the host detached and the dispatch stops.
    host->setClickHandler([](HWND w, ControlHandle, WPARAM, LPARAM, int) { DestroyWindow(w); });
    mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(host->window, nullptr);
    EXPECT_EQ(button.handle(), 0u);
}

TEST_F(HostInputTest, KeysAndCursorQuestionsGoToTheFocusedAndHoveredControls) {
    attachNew();
    Probe a, pointer;
    a.make(window, RectF(10, 10, 50, 30));
    pointer.make(window, RectF(100, 10, 50, 30), Image, 0);
    pointer.cursor(32649);  // IDC_HAND
    host->setFocus(a.handle(), false);
    for (UINT m : {WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_MOUSEWHEEL, WM_COMMAND})
        SendMessageW(window, m, 7, 9);
    for (UINT m : {WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_MOUSEWHEEL, WM_COMMAND}) {
        EXPECT_EQ(a.count(m), 1) << m;
        EXPECT_EQ(a.last(m).a, 7u);
        EXPECT_EQ(a.last(m).b, 9);
        EXPECT_EQ(PassedOn::count(m, 7), 1) << m;  // and still go on to the window
    }

    auto setCursor = [&](HWND over) {
        return SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    mouse(WM_MOUSEMOVE, 110, 20);
    EXPECT_EQ(setCursor(window), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
    mouse(WM_MOUSEMOVE, 20, 20);  // no cursor of its own: the host's
    EXPECT_EQ(setCursor(window), 1);
    EXPECT_EQ(GetCursor(), host->cursor);
    PassedOn::seen.clear();
    setCursor(host->tooltipWindow.get());  // over another window: passed on
    EXPECT_EQ(PassedOn::count(WM_SETCURSOR, reinterpret_cast<WPARAM>(host->tooltipWindow.get())),
              1);
}

// The caption's title is a plain label here; the hooks record the texts it is given.
TEST_F(HostInputTest, TheTitleFollowsTheWindowTextAndADoubleClickOnItMaximises) {
    static std::vector<std::string> titles;
    titles.clear();
    CaptionHooks hooks;
    hooks.createTitle = [](HWND w, const std::string&) -> std::unique_ptr<DuiControl> {
        auto title = std::make_unique<Probe>();
        title->make(w, RectF(0, 9, 100, 18), Label, 0);
        return title;
    };
    hooks.setTitleText = [](DuiControl&, const std::string& text) { titles.push_back(text); };
    setCaptionHooks(std::move(hooks));
    AttachOptions options;
    options.captionFlags = CaptionTitle | CaptionMaximize;
    attachNew(options);
    ASSERT_TRUE(host->titleLabel);
    SetWindowTextW(window, L"\u4e2d\u6587 title");
    EXPECT_EQ(titles, std::vector<std::string>{"中文 title"});  // in the ANSI code page

    // The caption layout places the title; press in its middle.
    RectF place = host->titleLabel->currentBounds();
    const int x = static_cast<int>(place.X + place.Width / 2);
    const int y = static_cast<int>(place.Y + place.Height / 2);
    ASSERT_EQ(host->hitTest(host->lastControl, x, y), host->titleLabel->handle());
    PassedOn::seen.clear();
    mouse(WM_LBUTTONDBLCLK, x, y);
    EXPECT_TRUE(posted(WM_SYSCOMMAND, SC_MAXIMIZE));
    EXPECT_EQ(host->mouseCaptured, 0);
    mouse(WM_LBUTTONUP, x, y);
    // Without the title bit the label is an ordinary one: a double click just drags.
    host->captionFlags &= ~CaptionTitle;
    mouse(WM_LBUTTONDBLCLK, x, y);
    EXPECT_FALSE(posted(WM_SYSCOMMAND, SC_MAXIMIZE));
    SetWindowTextW(window, L"again");
    EXPECT_EQ(titles.size(), 1u);

    hooks = {};
    hooks.createIcon = createCaptionIcon;
    hooks.createButton = createCaptionButton;
    setCaptionHooks(std::move(hooks));
}

// Real pointer input through the system's input queue into a visible window: a click on a
// button, then a drag of the window through the system's move loop.
TEST_F(HostInputTest, RealPointerInputClicksAndDrags) {
    HWND w = createToolkitWindow(nullptr, "real input", 100, 100, 300, 200, nullptr,
                                 WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    windows.push_back(w);
    window = w;
    hosts.push_back(std::make_unique<DuiHost>());
    host = hosts.back().get();
    AttachOptions options;
    options.captionFlags = 0;
    options.frameStyle = 0;
    options.resizable = 0;
    ASSERT_TRUE(host->attach(w, options));
    recordHandlers(*host);
    Probe button;
    button.make(w, RectF(20, 20, 80, 40));
    int bound = 0;
    button.bindEvent(WM_LBUTTONDOWN, [&](const EventArgs&) { ++bound; });
    SetForegroundWindow(w);
    pumpFor(300);

    auto press = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof(input));
    };
    SetCursorPos(160, 140);
    pumpFor(100);
    press(MOUSEEVENTF_LEFTDOWN);
    pumpFor(100);
    press(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(pumpUntil([&] { return button.count(Click) == 1; }));
    EXPECT_EQ(bound, 1);
    EXPECT_EQ(button.count(MouseEnter), 1);
    EXPECT_NE(std::find(calls.begin(), calls.end(), HandlerCall{"click", button.handle(), Button}),
              calls.end());

    // Pressed, dragged out of the window and released there: no click, and the press is over.
    SetCursorPos(160, 140);
    pumpFor(100);
    press(MOUSEEVENTF_LEFTDOWN);
    pumpFor(100);
    SetCursorPos(130, 120);
    pumpFor(50);
    SetCursorPos(60, 60);
    pumpFor(150);
    press(MOUSEEVENTF_LEFTUP);
    pumpFor(200);
    EXPECT_EQ(button.count(Click), 1);
    EXPECT_EQ(host->mouseCaptured, 0);
    EXPECT_NE(GetCapture(), w);
    SetCursorPos(160, 140);  // back over the button: hover works again
    ASSERT_TRUE(pumpUntil([&] { return host->hoveredControl == button.handle(); }));

    // Press on empty client area and move: the system's move loop carries the window. The
    // input comes from another thread, because the loop runs inside the press's dispatch.
    std::atomic<bool> done{false};
    std::thread mover([&] {
        SetCursorPos(350, 250);
        Sleep(150);
        press(MOUSEEVENTF_LEFTDOWN);
        Sleep(200);
        for (int step = 1; step <= 5; ++step) {
            SetCursorPos(350 + 8 * step, 250 + 6 * step);
            Sleep(60);
        }
        Sleep(150);
        press(MOUSEEVENTF_LEFTUP);
        Sleep(100);
        done = true;
    });
    pumpUntil([&] { return done.load(); }, 5000);
    mover.join();
    pumpFor(100);
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 140);
    EXPECT_EQ(r.top, 130);
    EXPECT_EQ(host->mouseCaptured, 0);
}

}  // namespace
}  // namespace dui
