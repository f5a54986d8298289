// Base of every element drawn inside a toolkit host window. A control owns no window: it owns its
// geometry, flags, place in the host's control tree, its retained look (the canvas) and the event
// table through which the application hears about clicks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/DuiMessages.h"
#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"

namespace dui {

class DuiHost;
struct PaintContext;

// What a bound handler hears: parent is the control's parent, 0 for a top-level control.
struct EventArgs {
    ControlHandle parent;
    ControlHandle control;
    UINT code;
    WPARAM a;
    LPARAM b;
};
using EventHandler = std::function<void(const EventArgs&)>;

struct EventBinding {
    int code;
    EventHandler handler;
};

// Where a control is created or moved to: a host window (top level) or a parent control.
struct ControlParent {
    ControlParent(HWND w) : window(w) {}
    ControlParent(ControlHandle c) : control(c) {}
    HWND window = nullptr;
    ControlHandle control = 0;
};

// The block of a DeliverEvent message.
struct EventBlock {
    std::int32_t code, a, b;
};

class DuiControl {
public:
    DuiControl() = default;
    DuiControl(const DuiControl&) = delete;
    DuiControl& operator=(const DuiControl&) = delete;
    // Destroys the control when it is still live, so no handle outlives its object. Only the
    // base part is reached from here: a class whose handleMessage frees resources on
    // WM_DESTROY calls destroy() from its own destructor.
    virtual ~DuiControl();

    // The 38 operations every control class keeps, in this order.
    virtual ControlHandle create(ControlParent parentOrHostWindow, const RectF& bounds, int kind,
                                 int visible, std::optional<int> focusable = {},
                                 std::optional<int> cursorId = {}, int transitionInterval = 0,
                                 int transitionSteps = 0, int transitionKind = 0);
    virtual ControlHandle handle() const;
    virtual HWND hostWindow() const;
    virtual ControlHandle parent() const;
    virtual void setParent(ControlParent newParent);
    virtual void destroy();
    virtual RectF bounds(std::optional<RectF> newBounds = {});
    virtual int visible(std::optional<int> value = {});
    virtual int disabled(std::optional<int> value = {});
    virtual int focusable(std::optional<int> value = {});
    virtual int isFocused();
    virtual void repaint();
    virtual void invalidate();
    virtual void setBounds(std::optional<int> x = {}, std::optional<int> y = {},
                           std::optional<int> width = {}, std::optional<int> height = {},
                           bool redraw = true);
    virtual std::string tooltip(std::optional<std::string> text = {}, bool apply = false);
    virtual void applyTooltip(const std::string& text);
    virtual void bindEvent(int code, EventHandler handler);
    virtual DuiControl* object();
    virtual int opacity(std::optional<int> value = {}, bool redraw = true);
    virtual int transition(std::optional<int> steps = {}, std::optional<int> interval = {});
    virtual int transitionInterval(std::optional<int> value = {});
    virtual int transitionStep() const;
    virtual int transitionKind(std::optional<int> value = {});
    virtual int sendEvent(UINT code, WPARAM a, LPARAM b);
    virtual BOOL postEvent(UINT code, WPARAM a, LPARAM b);
    // value is an HCURSOR when isHandle, else a system cursor id (IDC_*).
    virtual HCURSOR cursor(std::optional<ULONG_PTR> value = {}, bool isHandle = false);
    virtual std::string tag(std::optional<std::string> text = {});
    virtual int left(std::optional<int> x = {});
    virtual int top(std::optional<int> y = {});
    virtual int width(std::optional<int> width = {});
    virtual int height(std::optional<int> height = {});
    // Position 2 puts the control at the head of its list (under its siblings), any other at the
    // tail.
    virtual void setZOrder(int position = 1, bool redraw = true);
    virtual void detach();
    virtual void suspendRefresh();
    virtual void resumeRefresh();
    virtual void transitionTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
    virtual void onBeginPaint(PaintContext& paint);
    virtual void onEndPaint(PaintContext& paint);

    // The class's message handler; -1 means not handled, go on with the default.
    virtual int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b);

    // Read access to the fields the host, the compositor and input dispatch walk.
    int kind() const { return kind_; }
    ControlHandle firstChild() const { return firstChild_; }
    ControlHandle lastChild() const { return lastChild_; }
    ControlHandle prevSibling() const { return prevSibling_; }
    ControlHandle nextSibling() const { return nextSibling_; }
    const RectF& currentBounds() const { return bounds_; }
    const RectF& previousBounds() const { return previousBounds_; }
    Gdiplus::GpImage* canvas() const { return canvas_.get(); }
    Gdiplus::GpGraphics* canvasGraphics() const { return canvasGraphics_.get(); }
    Gdiplus::GpImage* snapshot() const { return snapshot_.get(); }
    bool canvasOpaque() const { return canvasOpaque_; }
    DuiHost* host() const { return host_; }  // not owned
    int refreshEnabled() const { return refreshEnabled_; }
    int transitionSteps() const { return transitionSteps_; }
    const std::vector<EventBinding>& eventTable() const { return eventTable_; }

protected:
    // Fields, in the documented order.
    HWND hostWindow_ = nullptr;
    ControlHandle handle_ = 0;
    ControlHandle parent_ = 0;  // 0: top level
    int visible_ = 0;
    int disabled_ = 0;
    int focusable_ = 0;
    int refreshEnabled_ = 0;
    HCURSOR cursor_ = nullptr;              // shared system cursor or one owned by the caller
    std::vector<EventBinding> eventTable_;  // owned
    RectF bounds_{};
    std::string tooltip_;
    std::string tag_;
    int kind_ = 0;
    ControlHandle firstChild_ = 0;
    ControlHandle lastChild_ = 0;
    ControlHandle prevSibling_ = 0;
    ControlHandle nextSibling_ = 0;
    int transitionStep_ = 0;
    GpImagePtr canvas_;
    GpGraphicsPtr canvasGraphics_;
    DuiHost* host_ = nullptr;  // not owned
    int opacity_ = 0;
    GpImagePtr snapshot_;
    int transitionInterval_ = 0;
    RectF previousBounds_{};
    int transitionSteps_ = 0;
    int transitionKind_ = 0;
    // Every canvas pixel had full alpha at the end of the last paint pass: the compositor need
    // not draw what lies beneath.
    bool canvasOpaque_ = false;

private:
    friend class DuiHost;
    friend int beginPaint(DuiControl&, PaintContext&, std::optional<RectF>, int);
    friend void endPaint(DuiControl&, PaintContext&);

    // Head and tail of the list whose members have parent listParent (0: the host's top level).
    static bool listEnds(DuiHost* host, ControlHandle listParent, ControlHandle*& head,
                         ControlHandle*& tail);
    void createCanvas();
    void insertInList(ControlHandle listParent, bool atHead);
    void destroyBase();
    void moveDescendants(float dx, float dy);
    int setOneCoordinate(int index, std::optional<int> value);
};

// The live control behind a handle, or null: stale handles are simply not found.
DuiControl* controlFromHandle(ControlHandle handle);

// Runs the control's handleMessage, then its first matching binding; 0 for a dead handle.
int dispatchMessage(ControlHandle control, UINT code, WPARAM a, LPARAM b);

// Reads and, for a posted event, frees the block of a DeliverEvent message; empty for anything
// that is not a block this process handed out (a stray or forged lParam is never dereferenced).
std::optional<EventBlock> takeEventBlock(LPARAM block);

// Blocks of posted events not yet delivered (leak tests watch it).
std::size_t pendingPostedEvents();

// Hands out a fresh even id from the control id space (hosts use one for their fade timer).
ControlHandle allocateHandle();

// Timer procedure of every control's transition timer (id = handle + 1).
void CALLBACK transitionTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

}  // namespace dui
