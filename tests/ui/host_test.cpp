#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/HostTestSupport.h"

namespace dui {
namespace {

using test::pumpFor;
using test::SolidControl;
using test::ToolkitTest;

// Caption controls are plain solid controls here; the hooks record what the host asked for.
struct CaptionRecord {
    int icons = 0;
    int titles = 0;
    std::vector<int> buttonKinds;
};
CaptionRecord* record = nullptr;

void installTestCaption(CaptionRecord& into) {
    record = &into;
    CaptionHooks hooks;
    hooks.createIcon = [](HWND window, HICON) -> std::unique_ptr<DuiControl> {
        ++record->icons;
        auto icon = std::make_unique<SolidControl>();
        icon->make(window, RectF(11, 11, 16, 16), 0xFF00FF00);
        return icon;
    };
    hooks.createTitle = [](HWND window, const std::string&) -> std::unique_ptr<DuiControl> {
        ++record->titles;
        auto title = std::make_unique<SolidControl>();
        title->make(window, RectF(0, 9, 1, 18), 0xFFFFFFFF);
        return title;
    };
    hooks.createButton = [](HWND window, int kind, int x,
                            int width) -> std::unique_ptr<DuiControl> {
        record->buttonKinds.push_back(kind);
        auto button = std::make_unique<SolidControl>();
        button->make(window, RectF(static_cast<float>(x), 7, static_cast<float>(width), 19),
                     0xFF0000FF);
        return button;
    };
    setCaptionHooks(std::move(hooks));
}

class HostAttachTest : public ToolkitTest {
protected:
    std::vector<HWND> windows;
    CaptionRecord caption;

    void SetUp() override { installTestCaption(caption); }
    void TearDown() override {
        for (HWND w : windows)
            if (IsWindow(w)) DestroyWindow(w);
        setCaptionHooks({});
        record = nullptr;
    }
    HWND makeWindow(DWORD style, int width = 300, int height = 200) {
        HWND w = createToolkitWindow(nullptr, "attach", 20, 20, width, height, nullptr, style, 0);
        windows.push_back(w);
        return w;
    }
    static DWORD styleOf(HWND w) { return static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)); }
};

TEST_F(HostAttachTest, CaptionFlagsZeroGiveNoCaptionButStillTheShadowBit) {
    HWND w = makeWindow(WS_POPUP);
    DuiHost host;
    AttachOptions options;
    options.captionFlags = 0;
    ASSERT_TRUE(host.attach(w, options));
    EXPECT_EQ(host.captionFlags, 512);
    EXPECT_FALSE(styleOf(w) & WS_SYSMENU);
    EXPECT_EQ(caption.icons + caption.titles, 0);
    EXPECT_TRUE(caption.buttonKinds.empty());
    EXPECT_EQ(hostOfWindow(w), &host);
    EXPECT_EQ(host.cursor, toolkit().defaultCursor);
}

TEST_F(HostAttachTest, FlagsNotGivenAreDerivedFromTheWindowStyle) {
    HWND w = makeWindow(WS_POPUP | WS_MINIMIZEBOX | WS_CAPTION | WS_THICKFRAME, 400);
    DuiHost host;
    ASSERT_TRUE(host.attach(w));
    EXPECT_EQ(host.captionFlags, 1 | 2 | 4 | 16 | 512);
    EXPECT_EQ(caption.buttonKinds, (std::vector<int>{4, 16}));
    EXPECT_EQ(caption.icons, 1);
    EXPECT_EQ(caption.titles, 1);
    EXPECT_EQ(host.iconImage->focusable(), 0);
    DWORD style = styleOf(w);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_EQ(host.resizable, 1);
    EXPECT_TRUE(style & WS_THICKFRAME);  // given back for a resizable window

    // The layout of a 400-pixel window: close at 355, minimize 28 further left, title before.
    ASSERT_EQ(host.captionButtons.size(), 2u);
    EXPECT_EQ(host.captionButtons[0]->left(), 355);
    EXPECT_EQ(host.captionButtons[1]->left(), 327);
    EXPECT_EQ(host.captionButtons[0]->top(), 7);
    EXPECT_EQ(host.captionButtons[0]->width(), 39);
    RectF title = host.titleLabel->bounds();
    EXPECT_EQ(title.X, 28.0f);
    EXPECT_EQ(title.Y, 10.0f);
    EXPECT_EQ(title.Width, 327.0f - 28.0f);
    EXPECT_EQ(title.Height, 20.0f);
}

TEST_F(HostAttachTest, BlurIsOnlyKeptForLayeredWindows) {
    struct Case {
        std::optional<int> blur, alpha;
        int expected;
    } cases[] = {
        {1, std::nullopt, 0},
        {1, 200, 1},
        {0, 200, 0},
        {std::nullopt, std::nullopt, toolkit().osMajorVersion == 6 ? 1 : 0},
    };
    for (const Case& k : cases) {
        DuiHost host;
        AttachOptions options;
        options.blurBehind = k.blur;
        options.windowAlpha = k.alpha;
        ASSERT_TRUE(host.attach(makeWindow(WS_POPUP), options));
        EXPECT_EQ(host.blurBehind, k.expected);
        EXPECT_EQ(host.isLayered(), k.alpha.has_value());
    }
}

TEST_F(HostAttachTest, RefusedAttachesChangeNothing) {
    HWND w = makeWindow(WS_POPUP);
    DuiHost host, other;
    EXPECT_FALSE(host.attach(nullptr));
    HWND gone = makeWindow(WS_POPUP);
    DestroyWindow(gone);
    EXPECT_FALSE(host.attach(gone));
    AttachOptions options;
    options.captionFlags = 0;
    ASSERT_TRUE(host.attach(w, options));
    LONG_PTR procedure = GetWindowLongPtrW(w, GWLP_WNDPROC);
    WNDPROC previous = host.previousWndProc;
    EXPECT_FALSE(host.attach(w));
    EXPECT_FALSE(other.attach(w));  // one host per window
    EXPECT_EQ(host.captionFlags, 512);
    EXPECT_EQ(host.previousWndProc, previous);
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), procedure);
    EXPECT_EQ(hostOfWindow(w), &host);
}

// Stands in for the window's own procedure: records what reaches it after the host.
struct OriginalProcedure {
    static inline WNDPROC classProc = nullptr;
    static inline std::vector<UINT> seen;
    static inline bool propertyGoneOnDestroy = false;
    static inline bool procedureBackOnDestroy = false;
    static inline std::vector<std::wstring> propertiesOnDestroy;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        seen.push_back(m);
        if (m == WM_DESTROY) {
            propertyGoneOnDestroy = GetPropW(w, kHostProperty) == nullptr;
            procedureBackOnDestroy =
                GetWindowLongPtrW(w, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&proc);
            propertiesOnDestroy.clear();
            for (const wchar_t* name :
                 {kWindowKindProperty, kMessageBoxIconProperty, kMenuRootProperty, kMenuSubProperty,
                  kMenuActiveProperty, kMenuEventProperty})
                if (GetPropW(w, name)) propertiesOnDestroy.push_back(name);
        }
        return CallWindowProcW(classProc, w, m, wp, lp);
    }
    static void install(HWND w) {
        seen.clear();
        classProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
    }
};

TEST_F(HostAttachTest, DestroyingTheWindowDetachesTheHost) {
    HWND w = makeWindow(WS_POPUP);
    OriginalProcedure::install(w);
    DuiHost host;
    ASSERT_TRUE(host.attach(w));
    SolidControl c;
    c.make(w, RectF(10, 10, 20, 20), 0xFFFF0000);
    HWND tooltip = host.tooltipWindow.get();
    ASSERT_TRUE(IsWindow(tooltip));
    DestroyWindow(w);
    EXPECT_TRUE(OriginalProcedure::propertyGoneOnDestroy);
    EXPECT_TRUE(OriginalProcedure::procedureBackOnDestroy);
    EXPECT_EQ(std::count(OriginalProcedure::seen.begin(), OriginalProcedure::seen.end(),
                         static_cast<UINT>(WM_DESTROY)),
              1);
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_EQ(c.handle(), 0u);
    EXPECT_EQ(host.window, nullptr);
    EXPECT_EQ(host.composeDC(), nullptr);
    EXPECT_EQ(host.firstControl, 0u);
    EXPECT_TRUE(host.captionButtons.empty());
    host.detach(w);  // safe on a detached host
    // A detached host can serve a new window.
    EXPECT_TRUE(host.attach(makeWindow(WS_POPUP)));
}

void CALLBACK destroyOnTimer(HWND w, UINT, UINT_PTR, DWORD) {
    DestroyWindow(w);
}

TEST_F(HostAttachTest, ModalLoopDropsInputForOtherWindowsButKeepsThemPainting) {
    HWND other = makeWindow(WS_POPUP | WS_VISIBLE);
    OriginalProcedure::install(other);
    DuiHost otherHost;
    ASSERT_TRUE(otherHost.attach(other));
    HWND modal = makeWindow(WS_POPUP | WS_VISIBLE);
    pumpFor(50);
    OriginalProcedure::seen.clear();

    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageW(other, WM_KEYDOWN, 'A', 0);
    PostMessageW(other, WM_APP, 0, 0);
    InvalidateRect(other, nullptr, FALSE);
    // Timers come after paints: the modal window goes away only once the other one painted.
    SetTimer(modal, 1, 100, destroyOnTimer);
    runModalLoop(modal);
    auto& seen = OriginalProcedure::seen;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_LBUTTONDOWN)), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_KEYDOWN)), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_APP)), 1);
    EXPECT_GE(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_PAINT)), 1);
    EXPECT_FALSE(IsWindow(modal));
}

TEST_F(HostAttachTest, ModalLoopLeavesAQuitForTheOuterLoop) {
    HWND modal = makeWindow(WS_POPUP);
    PostQuitMessage(7);
    runModalLoop(modal);
    EXPECT_TRUE(IsWindow(modal));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(HostAttachTest, PopupHookClosesOnEscapeAndRemovesItsProperties) {
    struct Case {
        int kind;
        std::vector<const wchar_t*> properties;
    } cases[] = {
        {MessageBoxWindow, {kWindowKindProperty, kMessageBoxIconProperty}},
        {PopupMenuWindow,
         {kWindowKindProperty, kMenuRootProperty, kMenuSubProperty, kMenuActiveProperty,
          kMenuEventProperty}},
    };
    for (const Case& k : cases) {
        HWND w = makeWindow(WS_POPUP);
        OriginalProcedure::install(w);
        DuiHost host;
        ASSERT_TRUE(host.attach(w));
        host.setMessageHook(popupMessageHook);
        for (const wchar_t* name : k.properties) SetPropW(w, name, w);
        SetPropW(w, kWindowKindProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(k.kind)));
        OriginalProcedure::seen.clear();
        SendMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
        MSG msg;
        EXPECT_TRUE(PeekMessageW(&msg, w, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << k.kind;
        // A menu also turns the key into a mnemonic press; the hook never consumes.
        auto& seen = OriginalProcedure::seen;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_SYSCHAR)),
                  k.kind == PopupMenuWindow ? 1 : 0);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_KEYDOWN)), 1);
        SendMessageW(w, WM_KEYDOWN, 'X', 0);
        EXPECT_FALSE(PeekMessageW(&msg, w, WM_CLOSE, WM_CLOSE, PM_REMOVE));
        DestroyWindow(w);
        EXPECT_TRUE(OriginalProcedure::propertiesOnDestroy.empty()) << k.kind;
    }
}

TEST_F(HostAttachTest, MenuLosingActivationOutsideItsCascadeClosesTheRoot) {
    HWND root = makeWindow(WS_POPUP);
    HWND menu = makeWindow(WS_POPUP);
    HWND outsider = makeWindow(WS_POPUP);
    DuiHost host;
    ASSERT_TRUE(host.attach(menu));
    host.setMessageHook(popupMessageHook);
    SetPropW(menu, kWindowKindProperty, reinterpret_cast<HANDLE>(INT_PTR{PopupMenuWindow}));
    SetPropW(menu, kMenuRootProperty, root);
    SetPropW(root, kMenuRootProperty, root);
    MSG msg;
    SendMessageW(menu, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(root));
    EXPECT_FALSE(PeekMessageW(&msg, root, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    SendMessageW(menu, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(outsider));
    EXPECT_TRUE(PeekMessageW(&msg, root, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST_F(HostAttachTest, ControlTimersReachTheirControlAndOtherTimersPassOn) {
    HWND w = makeWindow(WS_POPUP);
    OriginalProcedure::install(w);
    DuiHost host;
    ASSERT_TRUE(host.attach(w));
    SolidControl c;
    c.make(w, RectF(0, 0, 10, 10), 0xFFFF0000);
    c.codes.clear();
    OriginalProcedure::seen.clear();
    SendMessageW(w, WM_TIMER, c.handle(), 77);
    SendMessageW(w, WM_TIMER, 1, 0);
    EXPECT_EQ(c.codes, std::vector<UINT>{WM_TIMER});
    EXPECT_EQ(OriginalProcedure::seen, (std::vector<UINT>{WM_TIMER, WM_TIMER}));
}

}  // namespace
}  // namespace dui
