#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/ui/HostTestSupport.h"

namespace dui {
namespace {

using test::HostTest;
using test::pumpFor;
using test::pumpUntil;
using test::SolidControl;

using test::kBlue;
using test::kGreen;
using test::kRed;

using ControlBaseTest = HostTest;

TEST_F(ControlBaseTest, SecondCreateReturnsTheSameHandleAndChangesNothing) {
    SolidControl c;
    ControlHandle first = c.make(window, RectF(10, 10, 40, 30), kRed);
    ASSERT_NE(first, 0u);
    int paints = c.paints;
    EXPECT_EQ(c.make(window, RectF(50, 50, 10, 10), kBlue), first);
    EXPECT_EQ(c.paints, paints);
    EXPECT_EQ(c.currentBounds().X, 10.0f);
    EXPECT_EQ(host->firstControl, first);
    EXPECT_EQ(host->lastControl, first);
    EXPECT_EQ(c.nextSibling(), 0u);
}

TEST_F(ControlBaseTest, CreationWithoutAHostOfItsOwnWindowFails) {
    SolidControl parent;
    ASSERT_NE(parent.make(window, RectF(10, 10, 100, 100), kRed), 0u);
    // The parent's window now answers with no host (as if another host had taken it over).
    RemovePropW(window, kHostProperty);
    SolidControl child;
    EXPECT_EQ(child.make(parent.handle(), RectF(20, 20, 10, 10), kBlue), 0u);
    SetPropW(window, kHostProperty, host.get());
    EXPECT_EQ(child.handle(), 0u);
    EXPECT_EQ(child.canvas(), nullptr);
    EXPECT_EQ(parent.firstChild(), 0u);

    SolidControl orphan;
    EXPECT_EQ(orphan.make(ControlHandle{0}, RectF(0, 0, 5, 5), kRed), 0u);
    EXPECT_EQ(orphan.make(ControlHandle{0x7FFFFFF0}, RectF(0, 0, 5, 5), kRed), 0u);
    HWND plain = createToolkitWindow(nullptr, "plain", 0, 0, 50, 50, nullptr, WS_POPUP, 0);
    EXPECT_EQ(orphan.make(plain, RectF(0, 0, 5, 5), kRed), 0u);
    DestroyWindow(plain);
    // A refused creation leaves the object unused, so it can still be created properly.
    EXPECT_NE(child.make(parent.handle(), RectF(20, 20, 10, 10), kBlue), 0u);
    EXPECT_EQ(parent.firstChild(), child.handle());
}

TEST_F(ControlBaseTest, BindingACodeTwiceKeepsOneBindingInTheFirstPlace) {
    SolidControl c;
    c.make(window, RectF(0, 0, 10, 10), kRed);
    std::vector<int> calls;
    c.bindEvent(WM_LBUTTONDOWN, [&](const EventArgs&) { calls.push_back(1); });
    c.bindEvent(WM_RBUTTONDOWN, [&](const EventArgs&) { calls.push_back(2); });
    c.bindEvent(WM_LBUTTONDOWN, [&](const EventArgs&) { calls.push_back(3); });
    ASSERT_EQ(c.eventTable().size(), 2u);
    EXPECT_EQ(c.eventTable()[0].code, WM_LBUTTONDOWN);
    EXPECT_EQ(c.eventTable()[1].code, WM_RBUTTONDOWN);
    dispatchMessage(c.handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(calls, std::vector<int>{3});
}

TEST_F(ControlBaseTest, DoubleClickBindingsMatchOnlyTheMarkedPress) {
    SolidControl doubleOnly, pressAll;
    doubleOnly.make(window, RectF(0, 0, 10, 10), kRed);
    pressAll.make(window, RectF(20, 0, 10, 10), kRed);
    int doubles = 0, presses = 0;
    doubleOnly.bindEvent(515, [&](const EventArgs&) { ++doubles; });
    pressAll.bindEvent(513, [&](const EventArgs&) { ++presses; });
    for (ControlHandle h : {doubleOnly.handle(), pressAll.handle()}) {
        dispatchMessage(h, WM_LBUTTONDOWN, 0, 0);
        dispatchMessage(h, WM_LBUTTONDBLCLK, 0, 0);
    }
    EXPECT_EQ(doubles, 0);
    EXPECT_EQ(presses, 1);
    for (ControlHandle h : {doubleOnly.handle(), pressAll.handle()})
        dispatchMessage(h, WM_LBUTTONDOWN, DoubleClickMarker, 0);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(presses, 2);
}

TEST_F(ControlBaseTest, HandlersHearTheParentFirstAndTheClassBeforeThem) {
    SolidControl parent, child;
    parent.make(window, RectF(0, 0, 100, 100), kRed);
    child.make(parent.handle(), RectF(10, 10, 20, 20), kBlue);
    EventArgs parentArgs{}, childArgs{};
    std::size_t classSawItFirst = 0;
    parent.bindEvent(513, [&](const EventArgs& e) { parentArgs = e; });
    child.bindEvent(513, [&](const EventArgs& e) {
        childArgs = e;
        classSawItFirst = child.codes.size();
    });
    child.codes.clear();
    EXPECT_EQ(dispatchMessage(child.handle(), 513, 7, 9), -1);
    dispatchMessage(parent.handle(), 513, 0, 0);
    EXPECT_EQ(childArgs.parent, parent.handle());
    EXPECT_EQ(childArgs.control, child.handle());
    EXPECT_EQ(childArgs.a, 7u);
    EXPECT_EQ(childArgs.b, 9);
    EXPECT_EQ(classSawItFirst, 1u);
    EXPECT_EQ(parentArgs.parent, 0u);
    EXPECT_EQ(parentArgs.control, parent.handle());
    EXPECT_EQ(dispatchMessage(0, 513, 0, 0), 0);
}

TEST_F(ControlBaseTest, SetBoundsWithinToleranceSendsNothingAndAMoveKeepsTheCanvas) {
    SolidControl parent, child, grandchild;
    parent.make(window, RectF(10, 10, 60, 60), kRed);
    child.make(parent.handle(), RectF(20, 20, 30, 30), kBlue);
    grandchild.make(child.handle(), RectF(25, 25, 5, 5), kGreen);
    pumpFor(20);
    parent.codes.clear();
    parent.setBounds(10, 10, 60, 60);
    parent.left(10);
    parent.width(60);
    EXPECT_TRUE(parent.codes.empty());

    Gdiplus::GpImage* canvas = parent.canvas();
    int paints = parent.paints;
    parent.setBounds(110, 15);
    EXPECT_EQ(parent.canvas(), canvas);
    EXPECT_EQ(parent.paints, paints);
    EXPECT_EQ(parent.resizes, 0);
    EXPECT_EQ(parent.moves, 1);
    EXPECT_EQ(parent.previousBounds().X, 10.0f);
    EXPECT_EQ(child.currentBounds().X, 120.0f);
    EXPECT_EQ(child.currentBounds().Y, 25.0f);
    EXPECT_EQ(grandchild.currentBounds().X, 125.0f);
    EXPECT_EQ(grandchild.currentBounds().Width, 5.0f);
    // The host re-composed both places at once.
    EXPECT_EQ(px(15, 15), 0u);
    EXPECT_EQ(px(112, 17) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(px(126, 31) & 0xFFFFFF, 0x00FF00u);

    parent.width(80);
    EXPECT_NE(parent.paints, paints);
    EXPECT_EQ(parent.resizes, 1);
    EXPECT_EQ(test::sizeOf(parent.canvas()).width, 80);
}

TEST_F(ControlBaseTest, SetBoundsWhileTheHostIsBusyDefersTheRedraw) {
    SolidControl c;
    c.make(window, RectF(10, 10, 20, 20), kRed);
    pumpFor(20);
    host->busy = 1;
    DWORD start = GetTickCount();
    c.setBounds(50, 10);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(c.moves, 1);
    EXPECT_EQ(host->deferredAreas.size(), 2u);
    EXPECT_NE(px(15, 15), 0u);  // nothing composed yet
    host->setBusy(0);
    EXPECT_EQ(px(15, 15), 0u);
    EXPECT_EQ(px(55, 15) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(ControlBaseTest, ZOrderHeadIsDrawnUnderLaterSiblings) {
    SolidControl parent, a, b;
    parent.make(window, RectF(0, 0, 200, 150), 0xFF000000);
    a.make(parent.handle(), RectF(10, 10, 40, 40), kRed);
    a.setZOrder(2);
    EXPECT_EQ(parent.firstChild(), a.handle());
    EXPECT_EQ(parent.lastChild(), a.handle());
    b.make(parent.handle(), RectF(30, 30, 40, 40), kBlue);
    EXPECT_EQ(parent.firstChild(), a.handle());
    EXPECT_EQ(parent.lastChild(), b.handle());
    pumpFor(30);
    EXPECT_EQ(px(35, 35) & 0xFFFFFF, 0x0000FFu);
    b.setZOrder(2);
    pumpFor(30);
    EXPECT_EQ(parent.firstChild(), b.handle());
    EXPECT_EQ(a.prevSibling(), b.handle());
    EXPECT_EQ(px(35, 35) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(ControlBaseTest, DestroyingThePressedControlClearsTheCapture) {
    SolidControl c;
    c.make(window, RectF(0, 0, 10, 10), kRed);
    host->pressedControl = host->focusedControl = host->hoveredControl = c.handle();
    host->mouseCaptured = 1;
    SetCapture(window);
    c.destroy();
    EXPECT_EQ(host->pressedControl, 0u);
    EXPECT_EQ(host->focusedControl, 0u);
    EXPECT_EQ(host->hoveredControl, 0u);
    EXPECT_EQ(host->mouseCaptured, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlBaseTest, ADestroyedControlIsAllZeroAndCanBeCreatedAgain) {
    SolidControl parent, child;
    parent.make(window, RectF(10, 10, 50, 50), kRed);
    child.make(parent.handle(), RectF(20, 20, 10, 10), kBlue);
    parent.bindEvent(513, [](const EventArgs&) {});
    parent.tag("1|2|3");
    ControlHandle old = parent.handle();
    ControlHandle oldChild = child.handle();
    parent.invalidate();  // a posted redraw naming the control is still queued
    pumpFor(20);
    parent.invalidate();
    parent.destroy();
    pumpFor(20);
    EXPECT_EQ(parent.destroys, 1);
    EXPECT_EQ(child.destroys, 1);
    for (SolidControl* c : {&parent, &child}) {
        EXPECT_EQ(c->handle(), 0u);
        EXPECT_EQ(c->hostWindow(), nullptr);
        EXPECT_EQ(c->host(), nullptr);
        EXPECT_EQ(c->canvas(), nullptr);
        EXPECT_EQ(c->visible(), 0);
        EXPECT_EQ(c->opacity(), 0);
        EXPECT_EQ(c->currentBounds().Width, 0.0f);
        EXPECT_EQ(c->firstChild() | c->nextSibling() | c->prevSibling() | c->parent(), 0u);
        EXPECT_TRUE(c->eventTable().empty());
        EXPECT_TRUE(c->tag().empty());
    }
    EXPECT_EQ(controlFromHandle(old), nullptr);
    EXPECT_EQ(dispatchMessage(old, 513, 0, 0), 0);
    EXPECT_EQ(host->firstControl, 0u);
    EXPECT_EQ(px(25, 25), 0u);
    parent.destroy();  // nothing happens

    ControlHandle again = parent.make(window, RectF(10, 10, 50, 50), kGreen);
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, old);
    EXPECT_NE(again, oldChild);
    pumpFor(20);
    EXPECT_EQ(px(25, 25) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(ControlBaseTest, ForgedOrStaleHostMessagesAreIgnored) {
    SolidControl c;
    c.make(window, RectF(0, 0, 10, 10), kRed);
    std::uint32_t fake[3] = {513, 0, 0};
    int hits = 0;
    c.bindEvent(513, [&](const EventArgs&) { ++hits; });
    EXPECT_EQ(SendMessageW(window, DeliverEvent, c.handle(), reinterpret_cast<LPARAM>(fake)), 0);
    EXPECT_EQ(SendMessageW(window, RedrawArea, 1 | RedrawOfControl, 0x7FFFFFF0), 0);
    EXPECT_EQ(SendMessageW(window, Moved, 0x7FFFFFF0, 1), 1);
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(c.sendEvent(513, 0, 0), -1);
    EXPECT_EQ(hits, 1);
}

TEST_F(ControlBaseTest, EventsFromAnotherThreadRunOnTheHostThread) {
    class ThreadProbe : public SolidControl {
    public:
        std::atomic<DWORD> thread{0};
        int handleMessage(ControlHandle h, UINT code, WPARAM a, LPARAM b) override {
            if (code == 0x7001) {
                thread = GetCurrentThreadId();
                return static_cast<int>(a + b);
            }
            return SolidControl::handleMessage(h, code, a, b);
        }
    } probe;
    probe.make(window, RectF(0, 0, 10, 10), kRed);
    std::atomic<int> answer{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        answer = probe.sendEvent(0x7001, 40, 2);
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(probe.thread.load(), GetCurrentThreadId());

    probe.thread = 0;
    const std::size_t pending = pendingPostedEvents();
    EXPECT_TRUE(probe.postEvent(0x7001, 1, 1));
    EXPECT_EQ(pendingPostedEvents(), pending + 1);
    EXPECT_EQ(probe.thread.load(), 0u);
    EXPECT_TRUE(pumpUntil([&] { return probe.thread.load() != 0; }));
    EXPECT_EQ(pendingPostedEvents(), pending);

    // Events still queued when their control goes are freed with it and never delivered.
    probe.postEvent(0x7001, 1, 1);
    probe.postEvent(0x7001, 1, 1);
    probe.thread = 0;
    probe.destroy();
    EXPECT_EQ(pendingPostedEvents(), pending);
    pumpFor(20);
    EXPECT_EQ(probe.thread.load(), 0u);
}

TEST_F(ControlBaseTest, FlagsNotifyTheClass) {
    SolidControl c;
    c.make(window, RectF(0, 0, 10, 10), kRed);
    pumpFor(10);
    c.codes.clear();
    c.visible(0);
    c.visible(0);
    c.visible(1);
    EXPECT_EQ(c.codes, (std::vector<UINT>{Hidden, Shown}));
    c.codes.clear();
    MSG msg;
    while (PeekMessageW(&msg, window, RedrawArea, RedrawArea, PM_REMOVE)) {
    }
    EXPECT_EQ(c.opacity(100, false), 100);
    EXPECT_EQ(c.codes, std::vector<UINT>{OpacityChanged});
    EXPECT_FALSE(PeekMessageW(&msg, window, RedrawArea, RedrawArea, PM_NOREMOVE));
    EXPECT_EQ(c.cursor(32649), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));

    host->focusedControl = c.handle();
    EXPECT_EQ(c.isFocused(), 1);
    c.codes.clear();
    c.disabled(1);
    EXPECT_EQ(host->focusedControl, 0u);
    pumpFor(10);
    c.codes.resize(std::min<std::size_t>(c.codes.size(), 3));
    EXPECT_EQ(c.codes, (std::vector<UINT>{QueryFocused, FocusLost, MouseLeave}));
}

}  // namespace
}  // namespace dui
