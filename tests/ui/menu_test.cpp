// Popup menus shown as real windows under Wine: their size and place, cascades, keys, the hover
// delays, command delivery and what is left behind once they close. A menu runs its own modal
// loop, so each test drives it from thread timers that fire inside that loop.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiMenu.h"
#include "ui/DuiMenuItem.h"

// After windows.h, which the headers above bring in.
#include <psapi.h>

namespace dui::test {
namespace {

std::map<UINT_PTR, std::function<void()>>& scheduled() {
    static std::map<UINT_PTR, std::function<void()>> calls;
    return calls;
}

void CALLBACK runScheduled(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = scheduled().find(id);
    if (found == scheduled().end()) return;
    std::function<void()> call = std::move(found->second);
    scheduled().erase(found);
    call();
}

// Runs call ms from now in whichever message loop is running.
void after(UINT ms, std::function<void()> call) {
    UINT_PTR id = SetTimer(nullptr, 0, ms, runScheduled);
    scheduled()[id] = std::move(call);
}

// Polls every 20 ms until done() holds, then runs then (also after timeoutMs, regardless).
void whenever(std::function<bool()> done, std::function<void()> then, DWORD timeoutMs = 4000) {
    DWORD deadline = GetTickCount() + timeoutMs;
    std::function<void()> poll = [=]() {
        if (done() || static_cast<LONG>(GetTickCount() - deadline) > 0)
            then();
        else
            whenever(done, then, deadline - GetTickCount());
    };
    after(20, poll);
}

// Drops every call not run yet (once a menu has closed, its handles may be reused).
void cancelScheduled() {
    for (auto& [id, call] : scheduled()) KillTimer(nullptr, id);
    scheduled().clear();
}

// Closes a menu a test lost control of, so a fault fails the test instead of hanging it.
void watchdog(HWND root) {
    after(10000, [root] {
        ADD_FAILURE() << "menu still open after 10 s";
        if (IsWindow(root)) PostMessageW(root, WM_CLOSE, 0, 0);
    });
}

std::vector<DuiMenuItem*> rowsOf(HWND menu) {
    std::vector<DuiMenuItem*> rows;
    DuiHost* host = hostOfWindow(menu);
    for (ControlHandle h = host ? host->firstControl : 0; h;) {
        DuiControl* c = controlFromHandle(h);
        if (!c) break;
        rows.push_back(dynamic_cast<DuiMenuItem*>(c));
        h = c->nextSibling();
    }
    return rows;
}

RECT rectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

int textWidth(const std::wstring& text) {
    ScreenDc screen;
    SIZE extent{};
    GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

long privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return static_cast<long>(counters.PrivateUsage);
}

// The owner: a host window with one control that the menu is opened for.
class MenuTest : public HostTest {
protected:
    SolidControl target;
    std::vector<std::pair<WPARAM, LPARAM>> commands;

    void SetUp() override {
        HostTest::SetUp();
        target.make(window, RectF(20, 20, 100, 50), kRed);
        host->setMessageHook([this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_COMMAND) commands.emplace_back(wParam, lParam);
            return -1;
        });
    }
    void TearDown() override {
        cancelScheduled();
        HostTest::TearDown();
    }
    // Shows menu for the owner window; returns when it has closed.
    void popup(DuiMenu& menu, int x, int y) {
        menu.popup(window, x, y);
        cancelScheduled();
    }
    // Shows menu at (x, y) and closes it as soon as it is built; the window's rectangle and rows.
    struct Shown {
        RECT rect{};
        std::size_t rows = 0;
    };
    Shown measure(DuiMenu& menu, int x, int y) {
        Shown shown;
        menu.setPopupHandler([&](HWND menuWindow, int) {
            shown.rect = rectOf(menuWindow);
            shown.rows = rowsOf(menuWindow).size();
            PostMessageW(menuWindow, WM_CLOSE, 0, 0);
        });
        popup(menu, x, y);
        return shown;
    }
};

TEST_F(MenuTest, SizeFollowsTheTextsTheFixedWidthAndTheVisibleEntries) {
    const std::wstring shortText = L"打开", longText = L"a considerably longer entry";
    const int widest = textWidth(longText);
    DuiMenu child;
    child.addItem("甲");
    struct Case {
        const char* what;
        int width;
        bool withSubmenu;
        int expectedWidth;
    };
    const Case cases[] = {
        {"automatic", 0, false, widest + 50},
        {"automatic with a submenu entry", 0, true, widest + 50 + 15},
        {"fixed 1", 1, false, 50},
        {"fixed 49 with a submenu entry", 49, true, 50},
        {"fixed 120", 120, true, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DuiMenu menu;
        menu.addItem("打开");
        menu.addItem("a considerably longer entry");
        if (c.withSubmenu) menu.addItem("更多", {}, 0, MenuItemSubmenu, 0, &child);
        menu.setWidth(c.width);
        Shown shown = measure(menu, 100, 100);
        EXPECT_EQ(shown.rect.right - shown.rect.left, c.expectedWidth);
        EXPECT_EQ(shown.rect.left, 100);
        EXPECT_EQ(shown.rect.top, 100);
    }

    // 16 + 4 x 22 + 3; hidden entries, separators too, take no room and get no row.
    DuiMenu menu;
    menu.addItem("剪切(&T)");
    menu.addItem("复制(&C)");
    menu.addItem("", {}, MenuItemNormal, MenuItemSeparator);
    menu.addItem("粘贴(&P)");
    menu.addItem("全选(&A)");
    Shown plain = measure(menu, 100, 100);
    EXPECT_EQ(plain.rect.bottom - plain.rect.top, 107);
    EXPECT_EQ(plain.rows, 5u);
    menu.addItem("隐藏", {}, MenuItemHidden);
    menu.addItem("", {}, MenuItemHidden, MenuItemSeparator);
    menu.addItem("a hidden entry far wider than any other in this menu", {}, MenuItemHidden);
    Shown hidden = measure(menu, 100, 100);
    EXPECT_EQ(hidden.rect.bottom - hidden.rect.top, 107);
    EXPECT_EQ(hidden.rows, 5u);
    EXPECT_EQ(hidden.rect.right - hidden.rect.left, plain.rect.right - plain.rect.left);
}

TEST_F(MenuTest, OpenedAtTheCursorNearTheRightOrBottomEdgeFlipsLeftOrUp) {
    const WorkArea area = workArea();
    const int right = area.left + area.width, bottom = area.top + area.height;
    DuiMenu menu;
    menu.addItem("剪切(&T)");
    menu.addItem("复制(&C)");
    menu.setWidth(120);
    const int height = 16 + 2 * 22;
    struct Case {
        const char* what;
        POINT cursor;
        POINT expected;
    };
    const Case cases[] = {
        {"room on both sides", {200, 150}, {200, 150}},
        {"near the right edge", {right - 50, 150}, {right - 50 - 120, 150}},
        {"near the bottom edge", {200, bottom - 20}, {200, bottom - 20 - height + 5}},
        {"near the corner", {right - 50, bottom - 20}, {right - 170, bottom - 20 - height + 5}},
        // cursor x + width - 5 lands exactly on the edge: still room.
        {"just fits", {right - 115, 150}, {right - 115, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetCursorPos(c.cursor.x, c.cursor.y);
        POINT actual{};
        GetCursorPos(&actual);
        ASSERT_EQ(actual.x, c.cursor.x);
        Shown shown = measure(menu, 0, 0);
        EXPECT_EQ(shown.rect.left, c.expected.x);
        EXPECT_EQ(shown.rect.top, c.expected.y);
    }
    // Given coordinates are used as they are, even off the edge.
    Shown given = measure(menu, right - 30, 100);
    EXPECT_EQ(given.rect.left, right - 30);
}

// A root menu with one submenu entry, chosen by its mnemonic; reports both windows.
class CascadeTest : public MenuTest {
protected:
    DuiMenu root, child;
    HWND rootWindow = nullptr, childWindow = nullptr;
    RECT rootRect{}, childRect{};
    int childCloseAnimation = -1;
    std::function<void()> onChildShown;

    void SetUp() override {
        MenuTest::SetUp();
        root.addItem("子菜单(&S)", {}, 0, MenuItemSubmenu, 0, &child);
        root.addItem("关闭(&X)", {}, 0, MenuItemCommand, 1, 9);
        child.addItem("全选(&A)", {}, 0, MenuItemCommand, 1, 42);
        child.addItem("甲");
        root.setPopupHandler([this](HWND menu, int topLevel) {
            EXPECT_EQ(topLevel, 1);
            rootWindow = menu;
            rootRect = rectOf(menu);
            watchdog(menu);
            // After the window is up: showing it pumps the messages already waiting.
            after(50, [menu] { PostMessageW(menu, WM_KEYDOWN, 'S', 0); });
        });
        child.setPopupHandler([this](HWND menu, int topLevel) {
            EXPECT_EQ(topLevel, 0);
            childWindow = menu;
            childRect = rectOf(menu);
            DuiHost* childHost = hostOfWindow(menu);
            childCloseAnimation = childHost ? childHost->closeAnimation : -1;
            if (onChildShown) after(150, onChildShown);
        });
    }
};

TEST_F(CascadeTest, SubmenuOpensBesideItsRowAndToTheLeftNearTheRightEdge) {
    onChildShown = [this] { PostMessageW(rootWindow, WM_CLOSE, 0, 0); };
    popup(root, 100, 100);
    ASSERT_NE(childWindow, nullptr);
    EXPECT_EQ(childRect.left, rootRect.right - 10);
    EXPECT_EQ(childRect.top, rootRect.top + 8 - 7);
    EXPECT_EQ(childCloseAnimation, AnimationWipeRightToLeft);
    EXPECT_EQ(submenuAnimations(false).open, AnimationWipeLeftToRight);

    const WorkArea area = workArea();
    const int right = area.left + area.width;
    childWindow = nullptr;
    popup(root, right - 150, 100);
    ASSERT_NE(childWindow, nullptr);
    const int childWidth = childRect.right - childRect.left;
    EXPECT_EQ(childRect.left, rootRect.left - childWidth + 10);
    // Mirrored: it wipes in from the right and out towards the right.
    EXPECT_EQ(childCloseAnimation, AnimationWipeLeftToRight);
    EXPECT_EQ(submenuAnimations(true).open, AnimationWipeRightToLeft);

    // Near the bottom it rises to end 7 pixels below its row.
    const int bottom = area.top + area.height;
    childWindow = nullptr;
    popup(root, 100, bottom - 60);
    ASSERT_NE(childWindow, nullptr);
    EXPECT_EQ(childRect.bottom, rootRect.top + 8 + 22 + 7);
    EXPECT_FALSE(IsWindow(childWindow));
    EXPECT_FALSE(IsWindow(rootWindow));
}

TEST_F(CascadeTest, EscClosesOnlyTheInnermostMenu) {
    bool childGone = false, rootAlive = false;
    onChildShown = [&] {
        PostMessageW(childWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        whenever([&] { return !IsWindow(childWindow); },
                 [&] {
                     childGone = !IsWindow(childWindow);
                     rootAlive = IsWindow(rootWindow) && IsWindowVisible(rootWindow);
                     PostMessageW(rootWindow, WM_KEYDOWN, VK_ESCAPE, 0);
                 });
    };
    popup(root, 100, 100);
    EXPECT_TRUE(childGone);
    EXPECT_TRUE(rootAlive);
    EXPECT_FALSE(IsWindow(rootWindow));
    EXPECT_TRUE(commands.empty());
}

TEST_F(CascadeTest, ActivatingAnotherWindowClosesTheWholeChainAndReleasesIt) {
    HWND outside = createToolkitWindow(nullptr, "outside", 600, 400, 120, 80, nullptr,
                                       WS_POPUP | WS_VISIBLE, 0);
    ASSERT_NE(outside, nullptr);
    std::vector<ControlHandle> rows;
    const long objects = liveGdiPlusObjects();
    onChildShown = [&] {
        for (HWND menu : {rootWindow, childWindow})
            for (DuiMenuItem* row : rowsOf(menu)) rows.push_back(row->handle());
        SetForegroundWindow(outside);
    };
    popup(root, 100, 100);
    EXPECT_FALSE(IsWindow(childWindow));
    EXPECT_FALSE(IsWindow(rootWindow));
    ASSERT_EQ(rows.size(), 4u);
    for (ControlHandle row : rows) EXPECT_EQ(controlFromHandle(row), nullptr);
    EXPECT_EQ(liveGdiPlusObjects(), objects);
    EXPECT_TRUE(commands.empty());
    DestroyWindow(outside);
}

TEST_F(CascadeTest, ACommandInTheSubmenuReachesTheRootsOwnerWithItsControl) {
    // The cursor is over the owner's control when the menu opens: that control is the event.
    RECT owner = rectOf(window);
    SetCursorPos(owner.left + 50, owner.top + 40);
    onChildShown = [this] { PostMessageW(childWindow, WM_KEYDOWN, 'a', 0); };
    popup(root, 0, 0);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].first, 42u);
    EXPECT_EQ(static_cast<ControlHandle>(commands[0].second), target.handle());
    EXPECT_EQ(host->focusedControl, target.handle());
    EXPECT_FALSE(IsWindow(rootWindow));
}

TEST_F(MenuTest, PressingALetterChoosesItsEntryAsCommandOrHandler) {
    int cuts = 0, pastes = 0;
    DuiMenu menu;
    menu.addItem("剪切(&T)", {}, 0, MenuItemCommand, 0, MenuCommand([&] { ++cuts; }));
    menu.addItem("复制(&C)", {}, 0, MenuItemCommand, 1, 102);
    menu.addItem("粘贴(&P)", {}, MenuItemDisabled, MenuItemCommand, 0,
                 MenuCommand([&] { ++pastes; }));
    // A disabled entry ignores its letter; the next key then chooses "复制(&C)".
    menu.setPopupHandler([&](HWND menuWindow, int) {
        watchdog(menuWindow);
        after(50, [menuWindow] {
            PostMessageW(menuWindow, WM_KEYDOWN, 'P', 0);
            PostMessageW(menuWindow, WM_KEYDOWN, 'C', 0);
            PostMessageW(menuWindow, WM_KEYDOWN, 'T', 0);
        });
    });
    popup(menu, 100, 100);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].first, 102u);
    EXPECT_EQ(pastes, 0);
    EXPECT_EQ(cuts, 0);  // a menu already choosing takes no second choice

    menu.setPopupHandler([&](HWND menuWindow, int) {
        watchdog(menuWindow);
        after(50, [menuWindow] { PostMessageW(menuWindow, WM_KEYDOWN, 'T', 0); });
    });
    popup(menu, 100, 100);
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(CascadeTest, HoverOpensTheSubmenuAfterItsDelayAndAnotherRowClosesItAfterItsOwn) {
    // No key this time: only hovering opens the submenu (opened = its popup handler's time).
    root.setPopupHandler([this](HWND menu, int) {
        rootWindow = menu;
        rootRect = rectOf(menu);
        watchdog(menu);
    });
    DWORD entered = 0, opened = 0, left = 0, closed = 0;
    int parentHotInChild = -1, parentHotAfterLeaving = -1;
    bool childStillOpen = false;
    ControlHandle focusAfterLeaving = 1;
    ArgbColor parentLook = 0;
    auto moveTo = [](HWND menu, int x, int y) {
        RECT r = rectOf(menu);
        SetCursorPos(r.left + x, r.top + y);
        PostMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    };
    after(300, [&] {
        moveTo(rootWindow, 40, 8 + 11);
        entered = GetTickCount();
    });
    onChildShown = [&] {
        opened = GetTickCount();
        // Into the submenu: the root loses the mouse, its row keeps the highlight.
        moveTo(childWindow, 40, 8 + 11);
        PostMessageW(rootWindow, WM_MOUSELEAVE, 0, 0);
        after(150, [&] {
            DuiMenuItem* parentRow = rowsOf(rootWindow)[0];
            parentHotInChild = parentRow->lastHot();
            parentLook = pixelAt(parentRow->canvas(), 25, 10);
            moveTo(rootWindow, 40, 30 + 11);
            left = GetTickCount();
            after(100, [&] {
                parentHotAfterLeaving = rowsOf(rootWindow)[0]->lastHot();
                focusAfterLeaving = hostOfWindow(rootWindow)->focusedControl;
                childStillOpen = IsWindow(childWindow) && IsWindowVisible(childWindow);
                whenever([&] { return !IsWindowVisible(childWindow); },
                         [&] {
                             closed = GetTickCount();
                             PostMessageW(rootWindow, WM_CLOSE, 0, 0);
                         });
            });
        });
    };
    popup(root, 100, 100);
    ASSERT_NE(opened, 0u);
    EXPECT_GE(opened - entered, 480u);
    EXPECT_LT(opened - entered, 1000u);
    EXPECT_EQ(parentHotInChild, 1);
    EXPECT_TRUE(colourNear(parentLook, kMenuHotColor, 3));
    EXPECT_EQ(parentHotAfterLeaving, 0);
    EXPECT_EQ(focusAfterLeaving, 0u);
    EXPECT_TRUE(childStillOpen);
    ASSERT_NE(closed, 0u);
    EXPECT_GE(closed - left, 480u);
    EXPECT_TRUE(commands.empty());
}

TEST_F(CascadeTest, RepeatedPopupsLeaveNoObjectsOrMemoryBehind) {
    onChildShown = [this] { PostMessageW(childWindow, WM_KEYDOWN, 'A', 0); };
    auto cycle = [&] {
        childWindow = nullptr;
        popup(root, 100, 100);
        EXPECT_NE(childWindow, nullptr);
    };
    for (int i = 0; i < 2; ++i) cycle();
    pumpFor(20);
    const long objects = liveGdiPlusObjects();
    const long bytes = privateBytes();
    const std::size_t events = pendingPostedEvents();
    // Each closing window costs Wine about two seconds to unmap, so the rounds are few.
    for (int i = 0; i < 8; ++i) cycle();
    pumpFor(20);
    EXPECT_EQ(commands.size(), 10u);
    EXPECT_EQ(liveGdiPlusObjects(), objects);
    EXPECT_EQ(pendingPostedEvents(), events);
    EXPECT_LT(privateBytes() - bytes, 512 * 1024);
}

}  // namespace
}  // namespace dui::test
