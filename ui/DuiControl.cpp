#include "ui/DuiControl.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"

namespace dui {

namespace {

// Live controls by handle. Heap-held and never freed so that controls living in globals can
// still unregister during static destruction.
std::unordered_map<ControlHandle, DuiControl*>& registry() {
    static auto* map = new std::unordered_map<ControlHandle, DuiControl*>;
    return *map;
}

// Event blocks in flight. sendEvent may run on a worker thread, hence the lock.
struct BlockRegistry {
    std::mutex lock;
    struct Posted {
        std::unique_ptr<EventBlock> block;
        ControlHandle control;  // the control the event was posted for
    };
    std::unordered_map<EventBlock*, Posted> posted;  // owned until taken
    std::unordered_set<EventBlock*> sent;            // on the sender's stack
};
BlockRegistry& blocks() {
    static auto* registry = new BlockRegistry;
    return *registry;
}

bool differs(float a, float b) {
    return std::fabs(a - b) > 1e-7f;
}

}  // namespace

ControlHandle allocateHandle() {
    static ControlHandle next = 0x1000;
    do {
        next += 2;
        if (next < 0x1000) next = 0x1000;
    } while (registry().count(next));
    return next;
}

DuiControl* controlFromHandle(ControlHandle handle) {
    if (handle == 0) return nullptr;
    auto found = registry().find(handle);
    return found == registry().end() ? nullptr : found->second;
}

std::optional<EventBlock> takeEventBlock(LPARAM lParam) {
    auto* block = reinterpret_cast<EventBlock*>(lParam);
    BlockRegistry& all = blocks();
    std::lock_guard<std::mutex> guard(all.lock);
    if (all.sent.count(block)) return *block;
    auto found = all.posted.find(block);
    if (found != all.posted.end()) {
        EventBlock copy = *found->second.block;
        all.posted.erase(found);
        return copy;
    }
    return std::nullopt;
}

std::size_t pendingPostedEvents() {
    BlockRegistry& all = blocks();
    std::lock_guard<std::mutex> guard(all.lock);
    return all.posted.size();
}

int dispatchMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    DuiControl* control = controlFromHandle(handle);
    if (!control) return 0;
    int result = control->handleMessage(handle, code, a, b);
    control = controlFromHandle(handle);  // the class may have destroyed it
    if (!control) return result;
    for (const EventBinding& binding : control->eventTable()) {
        bool match = binding.code == 515 ? (code == WM_LBUTTONDOWN && a == DoubleClickMarker)
                                         : binding.code == static_cast<int>(code);
        if (!match) continue;
        EventHandler handler = binding.handler;  // the handler may rebind or destroy
        EventArgs args{control->parent(), handle, code, a, b};
        if (handler) handler(args);
        break;
    }
    return result;
}

void CALLBACK transitionTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time) {
    DuiControl* control = controlFromHandle(static_cast<ControlHandle>(timerId - 1));
    if (!control || control->hostWindow() != window) {
        KillTimer(window, timerId);
        return;
    }
    control->transitionTick(window, message, timerId, time);
}

DuiControl::~DuiControl() {
    if (handle_ && controlFromHandle(handle_) == this) DuiControl::destroy();
}

ControlHandle DuiControl::create(ControlParent where, const RectF& bounds, int kind, int visible,
                                 std::optional<int> focusable, std::optional<int> cursorId,
                                 int transitionInterval, int transitionSteps, int transitionKind) {
    if (handle_ && controlFromHandle(handle_) == this) return handle_;
    // Find the host before touching any field, so a refused creation leaves the object unused.
    DuiHost* host = where.window ? hostOfWindow(where.window) : nullptr;
    DuiControl* parentControl = nullptr;
    HWND window = where.window;
    if (!host) {
        parentControl = controlFromHandle(where.control);
        if (!parentControl || !parentControl->host_ ||
            parentControl->host_ != hostOfWindow(parentControl->hostWindow_))
            return 0;
        host = parentControl->host_;
        window = parentControl->hostWindow_;
    }

    handle_ = allocateHandle();
    registry()[handle_] = this;
    hostWindow_ = window;
    bounds_ = bounds;
    cursor_ = cursorId ? LoadCursorW(nullptr, MAKEINTRESOURCEW(*cursorId)) : nullptr;
    tooltip_.clear();
    parent_ = prevSibling_ = nextSibling_ = 0;
    opacity_ = 255;
    kind_ = kind;
    visible_ = visible;
    focusable_ = focusable.value_or(1);
    disabled_ = 0;
    refreshEnabled_ = 1;
    host_ = host;
    if (parentControl)
        setParent(parentControl->handle_);
    else
        insertInList(0, false);

    createCanvas();
    transitionInterval_ = transitionInterval;
    transitionSteps_ = transitionSteps;
    transitionKind_ = transitionKind;
    transitionStep_ = 0;

    ControlHandle self = handle_;
    sendEvent(WM_CREATE, reinterpret_cast<WPARAM>(canvas_.get()),
              reinterpret_cast<LPARAM>(canvasGraphics_.get()));
    if (controlFromHandle(self) == this)
        sendEvent(WM_PAINT, reinterpret_cast<WPARAM>(canvas_.get()),
                  reinterpret_cast<LPARAM>(canvasGraphics_.get()));
    return handle_;
}

void DuiControl::createCanvas() {
    int w = static_cast<int>(bounds_.Width);
    int h = static_cast<int>(bounds_.Height);
    Gdiplus::GpBitmap* bitmap = nullptr;
    gp::GdipCreateBitmapFromScan0(w, h, 0, kPixelFormat32bppArgb, nullptr, &bitmap);
    canvas_.reset(bitmap);
    canvasOpaque_ = false;
    if (!canvas_) return;
    gp::GdipGetImageGraphicsContext(canvas_.get(), canvasGraphics_.put());
    if (!canvasGraphics_) return;
    gp::GdipSetSmoothingMode(canvasGraphics_.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(canvasGraphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
}

ControlHandle DuiControl::handle() const {
    return handle_;
}
HWND DuiControl::hostWindow() const {
    return hostWindow_;
}
ControlHandle DuiControl::parent() const {
    return parent_;
}
DuiControl* DuiControl::object() {
    return this;
}

bool DuiControl::listEnds(DuiHost* host, ControlHandle listParent, ControlHandle*& head,
                          ControlHandle*& tail) {
    if (listParent == 0) {
        if (!host) return false;
        head = &host->firstControl;
        tail = &host->lastControl;
        return true;
    }
    DuiControl* parent = controlFromHandle(listParent);
    if (!parent) return false;
    head = &parent->firstChild_;
    tail = &parent->lastChild_;
    return true;
}

void DuiControl::insertInList(ControlHandle listParent, bool atHead) {
    ControlHandle* head = nullptr;
    ControlHandle* tail = nullptr;
    if (!listEnds(host_, listParent, head, tail)) return;
    prevSibling_ = nextSibling_ = 0;
    if (*head == 0) {
        *head = *tail = handle_;
        return;
    }
    if (atHead) {
        if (DuiControl* old = controlFromHandle(*head)) old->prevSibling_ = handle_;
        nextSibling_ = *head;
        *head = handle_;
    } else {
        if (DuiControl* old = controlFromHandle(*tail)) old->nextSibling_ = handle_;
        prevSibling_ = *tail;
        *tail = handle_;
    }
}

void DuiControl::detach() {
    ControlHandle* head = nullptr;
    ControlHandle* tail = nullptr;
    bool inList = listEnds(host_, parent_, head, tail);
    if (inList && parent_ == 0) {
        // A top-level control that is not in the host's list only loses its links.
        inList = false;
        for (ControlHandle c = *head; c; c = controlFromHandle(c)->nextSibling_) {
            if (c == handle_) {
                inList = true;
                break;
            }
            if (!controlFromHandle(c)) break;
        }
    }
    if (inList) {
        if (*head == handle_) *head = nextSibling_;
        if (*tail == handle_) *tail = prevSibling_;
        if (DuiControl* prev = controlFromHandle(prevSibling_)) prev->nextSibling_ = nextSibling_;
        if (DuiControl* next = controlFromHandle(nextSibling_)) next->prevSibling_ = prevSibling_;
    }
    prevSibling_ = nextSibling_ = 0;
}

void DuiControl::setParent(ControlParent newParent) {
    if (newParent.window && newParent.window != hostWindow_) return;
    ControlHandle target = newParent.window ? 0 : newParent.control;
    if (target == parent_) return;
    if (target) {
        // Only a live control of the same host that is not this control or one of its
        // descendants can adopt it; anything else would cut the tree or make a cycle.
        DuiControl* adopter = controlFromHandle(target);
        if (!adopter || adopter->host_ != host_) return;
        for (DuiControl* up = adopter; up; up = controlFromHandle(up->parent_))
            if (up == this) return;
    }
    detach();
    insertInList(target, false);
    parent_ = target;
    invalidate();
}

void DuiControl::destroy() {
    if (!handle_ || !host_) return;
    ControlHandle self = handle_;
    DuiHost* host = host_;
    visible_ = 0;
    // The area is queued by value: a posted request naming this control would find it gone.
    host->invalidateRect(bounds_, 0);

    for (ControlHandle child = firstChild_; child;) {
        DuiControl* c = controlFromHandle(child);
        if (!c) break;
        child = c->nextSibling_;
        c->destroy();
    }
    handleMessage(self, WM_DESTROY, 0, 0);
    if (controlFromHandle(self) != this) return;  // the class finished the job itself
    KillTimer(hostWindow_, self + 1);

    if (host->pressedControl == self) {
        host->pressedControl = 0;
        host->mouseCaptured = 0;
        if (GetCapture() == hostWindow_) ReleaseCapture();
    }
    if (host->focusedControl == self) host->focusedControl = 0;
    if (host->hoveredControl == self) host->hoveredControl = 0;
    if (host->focusCueControl == self) host->focusCueControl = 0;
    std::erase_if(host->mnemonics, [self](const Mnemonic& m) { return m.control == self; });

    detach();
    tooltip_.clear();
    tag_.clear();
    canvasGraphics_.reset();
    canvas_.reset();
    snapshot_.reset();
    eventTable_.clear();
    registry().erase(self);
    {
        // Events still queued for this control will find nothing; free their blocks now, as a
        // window destroyed meanwhile would drop the messages carrying them.
        BlockRegistry& all = blocks();
        std::lock_guard<std::mutex> guard(all.lock);
        std::erase_if(all.posted,
                      [self](const auto& entry) { return entry.second.control == self; });
    }

    hostWindow_ = nullptr;
    handle_ = parent_ = 0;
    visible_ = disabled_ = focusable_ = refreshEnabled_ = 0;
    cursor_ = nullptr;
    bounds_ = previousBounds_ = RectF{};
    kind_ = 0;
    firstChild_ = lastChild_ = prevSibling_ = nextSibling_ = 0;
    transitionStep_ = transitionInterval_ = transitionSteps_ = transitionKind_ = 0;
    host_ = nullptr;
    opacity_ = 0;
}

RectF DuiControl::bounds(std::optional<RectF> newBounds) {
    if (newBounds)
        setBounds(static_cast<int>(newBounds->X), static_cast<int>(newBounds->Y),
                  static_cast<int>(newBounds->Width), static_cast<int>(newBounds->Height), true);
    return bounds_;
}

int DuiControl::visible(std::optional<int> value) {
    if (value && *value != visible_) {
        visible_ = *value;
        sendEvent(*value ? Shown : Hidden, 0, 0);
        invalidate();
    }
    return visible_;
}

int DuiControl::disabled(std::optional<int> value) {
    if (value && *value != disabled_) {
        disabled_ = *value;
        if (isFocused()) {
            if (host_) host_->focusedControl = 0;
            postEvent(FocusLost, 0, 0);
        }
        postEvent(MouseLeave, 0, 0);
        invalidate();
    }
    return disabled_;
}

int DuiControl::focusable(std::optional<int> value) {
    if (value) focusable_ = *value;
    return focusable_;
}

int DuiControl::isFocused() {
    int answer = sendEvent(QueryFocused, 0, 0);
    if (answer != -1) return answer == 1 ? 1 : 0;
    return host_ && handle_ && host_->focusedControl == handle_ ? 1 : 0;
}

void DuiControl::repaint() {
    if (host_ && host_->redrawsHeld && handle_ && hostWindow_ &&
        GetWindowThreadProcessId(hostWindow_, nullptr) == GetCurrentThreadId()) {
        host_->collectHeldPaint(handle_);  // painted once when the host releases its redraws
        return;
    }
    sendEvent(WM_PAINT, 0, 0);
}

void DuiControl::invalidate() {
    if (!handle_ || !hostWindow_) return;
    PostMessageW(hostWindow_, RedrawArea, 1 | RedrawOfControl, handle_);
}

void DuiControl::moveDescendants(float dx, float dy) {
    for (ControlHandle child = firstChild_; child;) {
        DuiControl* c = controlFromHandle(child);
        if (!c) break;
        c->bounds_.X += dx;
        c->bounds_.Y += dy;
        c->moveDescendants(dx, dy);
        child = c->nextSibling_;
    }
}

void DuiControl::setBounds(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                           std::optional<int> height, bool redraw) {
    float nx = static_cast<float>(x.value_or(static_cast<int>(bounds_.X)));
    float ny = static_cast<float>(y.value_or(static_cast<int>(bounds_.Y)));
    float nw = static_cast<float>(width.value_or(static_cast<int>(bounds_.Width)));
    float nh = static_cast<float>(height.value_or(static_cast<int>(bounds_.Height)));
    bool resized = differs(nw, bounds_.Width) || differs(nh, bounds_.Height);
    if (!differs(nx, bounds_.X) && !differs(ny, bounds_.Y) && !resized) return;
    previousBounds_ = bounds_;
    bounds_ = RectF(nx, ny, nw, nh);
    moveDescendants(nx - previousBounds_.X, ny - previousBounds_.Y);
    if (resized && handle_) {
        canvasGraphics_.reset();
        canvas_.reset();
        createCanvas();
        sendEvent(Resized, static_cast<WPARAM>(nw), static_cast<LPARAM>(nh));
        sendEvent(WM_PAINT, static_cast<WPARAM>(nw), static_cast<LPARAM>(nh));
    }
    if (!handle_ || !hostWindow_) return;

    WPARAM flag = redraw && visible_ ? 1 : 0;
    bool hostThread = GetWindowThreadProcessId(hostWindow_, nullptr) == GetCurrentThreadId();
    if (flag && hostThread && host_ && host_->busy) {
        // The host cannot accept the redraw until it stops being busy, and it never will while
        // this thread waits: tell it about the move and let it redraw both areas later.
        SendMessageW(hostWindow_, Moved, handle_, 0);
        host_->deferredAreas.push_back(previousBounds_);
        host_->deferredAreas.push_back(bounds_);
        return;
    }
    while (IsWindow(hostWindow_) && SendMessageW(hostWindow_, Moved, handle_, flag) != 1) Sleep(1);
}

std::string DuiControl::tooltip(std::optional<std::string> text, bool apply) {
    if (text) {
        tooltip_ = *text;
        if (apply) applyTooltip(tooltip_);
    }
    return tooltip_;
}

void DuiControl::applyTooltip(const std::string& text) {
    if (host_) host_->updateTooltip(handle_, text);
}

void DuiControl::bindEvent(int code, EventHandler handler) {
    for (EventBinding& binding : eventTable_) {
        if (binding.code == code) {
            binding.handler = std::move(handler);
            return;
        }
    }
    eventTable_.push_back({code, std::move(handler)});
}

int DuiControl::opacity(std::optional<int> value, bool redraw) {
    if (value) {
        opacity_ = *value;
        sendEvent(OpacityChanged, 0, *value);
        if (redraw) invalidate();
    }
    return opacity_;
}

int DuiControl::transition(std::optional<int> steps, std::optional<int> interval) {
    if (steps) transitionSteps_ = *steps;
    if (interval) transitionInterval_ = *interval;
    return transitionSteps_;
}

int DuiControl::transitionInterval(std::optional<int> value) {
    if (value) transitionInterval_ = *value;
    return transitionInterval_;
}

int DuiControl::transitionStep() const {
    return transitionStep_;
}

int DuiControl::transitionKind(std::optional<int> value) {
    if (value) transitionKind_ = *value;
    return transitionKind_;
}

int DuiControl::sendEvent(UINT code, WPARAM a, LPARAM b) {
    if (!handle_ || !hostWindow_) return 0;
    EventBlock block{static_cast<std::int32_t>(code), static_cast<std::int32_t>(a),
                     static_cast<std::int32_t>(b)};
    BlockRegistry& all = blocks();
    {
        std::lock_guard<std::mutex> guard(all.lock);
        all.sent.insert(&block);
    }
    LRESULT result =
        SendMessageW(hostWindow_, DeliverEvent, handle_, reinterpret_cast<LPARAM>(&block));
    std::lock_guard<std::mutex> guard(all.lock);
    all.sent.erase(&block);
    return static_cast<int>(result);
}

BOOL DuiControl::postEvent(UINT code, WPARAM a, LPARAM b) {
    if (!handle_ || !hostWindow_) return FALSE;
    auto block = std::make_unique<EventBlock>(EventBlock{static_cast<std::int32_t>(code),
                                                         static_cast<std::int32_t>(a),
                                                         static_cast<std::int32_t>(b)});
    BlockRegistry& all = blocks();
    std::lock_guard<std::mutex> guard(all.lock);
    BOOL posted =
        PostMessageW(hostWindow_, DeliverEvent, handle_, reinterpret_cast<LPARAM>(block.get()));
    if (posted) {
        EventBlock* key = block.get();
        all.posted.emplace(key, BlockRegistry::Posted{std::move(block), handle_});
    }
    return posted;
}

HCURSOR DuiControl::cursor(std::optional<ULONG_PTR> value, bool isHandle) {
    if (value)
        cursor_ = isHandle ? reinterpret_cast<HCURSOR>(*value)
                           : LoadCursorW(nullptr, MAKEINTRESOURCEW(*value));
    return cursor_;
}

std::string DuiControl::tag(std::optional<std::string> text) {
    if (text) tag_ = *text;
    return tag_;
}

int DuiControl::setOneCoordinate(int index, std::optional<int> value) {
    float current[] = {bounds_.X, bounds_.Y, bounds_.Width, bounds_.Height};
    if (value && differs(static_cast<float>(*value), current[index])) {
        std::optional<int> v[4];
        v[index] = value;
        setBounds(v[0], v[1], v[2], v[3], true);
    }
    float now[] = {bounds_.X, bounds_.Y, bounds_.Width, bounds_.Height};
    return static_cast<int>(now[index]);
}

int DuiControl::left(std::optional<int> x) {
    return setOneCoordinate(0, x);
}
int DuiControl::top(std::optional<int> y) {
    return setOneCoordinate(1, y);
}
int DuiControl::width(std::optional<int> width) {
    return setOneCoordinate(2, width);
}
int DuiControl::height(std::optional<int> height) {
    return setOneCoordinate(3, height);
}

void DuiControl::setZOrder(int position, bool redraw) {
    if (!handle_) return;
    detach();
    insertInList(parent_, position == 2);
    if (redraw) invalidate();
}

void DuiControl::suspendRefresh() {
    refreshEnabled_ = 0;
}
void DuiControl::resumeRefresh() {
    refreshEnabled_ = 1;
}

void DuiControl::transitionTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!handle_ || !host_) return;
    ControlHandle self = handle_;
    ++transitionStep_;
    compositeArea(hostWindow_, bounds_, host_, host_->composeGraphics(), 1);
    if (transitionStep_ >= transitionSteps_) {
        KillTimer(hostWindow_, self + 1);
        snapshot_.reset();
        transitionStep_ = 0;
        dispatchMessage(self, TransitionFinished, 0, 0);
    }
}

void DuiControl::onBeginPaint(PaintContext&) {}
void DuiControl::onEndPaint(PaintContext&) {}

int DuiControl::handleMessage(ControlHandle, UINT code, WPARAM, LPARAM) {
    // Every transition is set up for one repaint only.
    if (code == TransitionFinished) transitionSteps_ = 0;
    return -1;
}

}  // namespace dui
