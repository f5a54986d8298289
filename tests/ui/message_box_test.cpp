#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiLabel.h"
#include "ui/DuiMessageBox.h"
#include "ui/DuiTextButton.h"

namespace dui {
namespace {

using test::pumpFor;
using test::ToolkitTest;

// The box runs its own loop, so each test acts from a thread timer once the box is up and its
// opening animation is over.
struct Driver {
    HWND box = nullptr;
    int width = 0, height = 0;
    std::function<void(HWND box)> action;
};
Driver* driver = nullptr;

void CALLBACK driverTick(HWND, UINT, UINT_PTR id, DWORD) {
    DuiHost* host = driver ? hostOfWindow(driver->box) : nullptr;
    if (host && host->busy) return;  // still animating: try again at the next tick
    KillTimer(nullptr, id);
    if (host && driver->action) driver->action(driver->box);
}

// A button of the box with its position from the right (1 = rightmost).
struct BoxButton {
    DuiTextControl* control;
    int position;
};

std::vector<BoxButton> buttonsOf(HWND box) {
    std::vector<BoxButton> result;
    DuiHost* host = hostOfWindow(box);
    for (ControlHandle h = host ? host->firstControl : 0; h;) {
        DuiControl* c = controlFromHandle(h);
        if (!c) break;
        std::string tag = c->tag();
        if ((c->kind() == TextControl || c->kind() == GlowButton) &&
            std::count(tag.begin(), tag.end(), '|') == 2)
            result.push_back(
                {static_cast<DuiTextControl*>(c), std::stoi(tag.substr(tag.rfind('|') + 1))});
        h = c->nextSibling();
    }
    std::sort(result.begin(), result.end(),
              [](const BoxButton& a, const BoxButton& b) { return a.position < b.position; });
    return result;
}

std::vector<std::string> captionsOf(HWND box) {
    std::vector<std::string> captions;
    for (const BoxButton& b : buttonsOf(box)) captions.push_back(b.control->text());
    return captions;
}

DuiControl* labelOf(HWND box) {
    DuiHost* host = hostOfWindow(box);
    for (ControlHandle h = host ? host->firstControl : 0; h;) {
        DuiControl* c = controlFromHandle(h);
        if (!c) break;
        // The message's label, not the caption's title.
        if (c->kind() == Label && c != host->titleLabel.get()) return c;
        h = c->nextSibling();
    }
    return nullptr;
}

// A real press and release in the middle of a control.
void click(HWND window, DuiControl* control) {
    RectF b = control->currentBounds();
    LPARAM point =
        MAKELPARAM(static_cast<int>(b.X + b.Width / 2), static_cast<int>(b.Y + b.Height / 2));
    PostMessageW(window, WM_MOUSEMOVE, 0, point);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
}

void key(HWND window, WPARAM virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
}

void altKey(HWND window, wchar_t letter) {
    PostMessageW(window, WM_SYSCHAR, letter, 1 | (1 << 29));
}

// An owner window whose host draws it in one colour.
HWND makeOwner(DuiHost& host, int width, int height, COLORREF fill, int alpha, int frameStyle) {
    HWND owner =
        createToolkitWindow(nullptr, "owner", 200, 150, width, height, nullptr, WS_POPUP, 0);
    AttachOptions look;
    look.captionFlags = 0;
    look.backColor = fill;
    look.windowAlpha = alpha;
    look.frameStyle = frameStyle;
    look.nineGridMargins = {1, 2, 3, 4};
    if (owner && !host.attach(owner, look)) {
        DestroyWindow(owner);
        return nullptr;
    }
    return owner;
}

class MessageBoxTest : public ToolkitTest {
protected:
    Driver drive;

    void SetUp() override { driver = &drive; }
    void TearDown() override {
        driver = nullptr;
        pumpFor(1);
    }
    // Runs a box whose action is done once it is up; returns its result.
    int run(HWND owner, const std::string& text, MessageBoxOptions options,
            std::function<void(HWND)> action) {
        drive = {};
        drive.action = std::move(action);
        auto built = options.onBuilt;
        options.onBuilt = [this, built](HWND window, int width, int height) {
            drive.box = window;
            drive.width = width;
            drive.height = height;
            if (built) built(window, width, height);
            SetTimer(nullptr, 0, 20, driverTick);
        };
        return messageBox(owner, text, options);
    }
};

TEST_F(MessageBoxTest, EachButtonSetHasItsCaptionsAndResults) {
    struct Case {
        int buttons;
        std::vector<std::string> captions;
        std::vector<int> results;
    };
    const Case cases[] = {
        {0, {"确认"}, {0}},
        {1, {"取消", "确认"}, {1, 0}},
        {2, {"忽略", "重试", "放弃"}, {4, 3, 2}},
        {3, {"取消", "否(&N)", "是(&Y)"}, {1, 6, 5}},
        {4, {"否(&N)", "是(&Y)"}, {6, 5}},
        {5, {"取消", "重试"}, {1, 3}},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < c.results.size(); ++i) {
            std::vector<std::string> captions;
            MessageBoxOptions options;
            options.buttons = c.buttons;
            int result = run(nullptr, "选择一个按钮", options, [&](HWND box) {
                captions = captionsOf(box);
                auto buttons = buttonsOf(box);
                if (i < buttons.size()) click(box, buttons[i].control);
            });
            EXPECT_EQ(captions, c.captions) << "set " << c.buttons;
            EXPECT_EQ(result, c.results[i]) << "set " << c.buttons << " button " << i + 1;
        }
    }
}

TEST_F(MessageBoxTest, EscapeCloseButtonAndForeignCloseAnswerCancel) {
    MessageBoxOptions options;
    options.buttons = ButtonsNoYes;  // a set without a Cancel button
    EXPECT_EQ(run(nullptr, "Esc", options, [](HWND box) { key(box, VK_ESCAPE); }), ResultCancel);
    EXPECT_EQ(run(nullptr, "close button", options,
                  [](HWND box) {
                      DuiHost* host = hostOfWindow(box);
                      ASSERT_EQ(host->captionButtons.size(), 1u);
                      EXPECT_EQ(host->captionButtons[0]->width(), 39);
                      click(box, host->captionButtons[0].get());
                  }),
              ResultCancel);
    EXPECT_EQ(
        run(nullptr, "WM_CLOSE", options, [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }),
        ResultCancel);
}

TEST_F(MessageBoxTest, EnterClicksTheDefaultButton) {
    struct Case {
        int buttons;
        std::optional<int> defaultButton;
        int result;
    };
    for (Case c :
         {Case{1, std::nullopt, ResultCancel}, Case{1, 2, ResultOk}, Case{3, 3, ResultYes}}) {
        MessageBoxOptions options;
        options.buttons = c.buttons;
        options.defaultButton = c.defaultButton;
        ControlHandle focused = 0, expected = 0;
        int result = run(nullptr, "Enter", options, [&](HWND box) {
            focused = hostOfWindow(box)->focusedControl;
            expected = buttonsOf(box)[c.defaultButton.value_or(1) - 1].control->handle();
            key(box, VK_RETURN);
        });
        EXPECT_EQ(focused, expected);
        EXPECT_EQ(result, c.result) << "set " << c.buttons;
    }
}

TEST_F(MessageBoxTest, AltWithTheMnemonicAnswersNoOrYes) {
    for (int buttons : {ButtonsCancelNoYes, ButtonsNoYes}) {
        MessageBoxOptions options;
        options.buttons = buttons;
        EXPECT_EQ(run(nullptr, "Alt+N", options, [](HWND box) { altKey(box, L'n'); }), ResultNo)
            << buttons;
        EXPECT_EQ(run(nullptr, "Alt+Y", options, [](HWND box) { altKey(box, L'Y'); }), ResultYes)
            << buttons;
    }
}

TEST_F(MessageBoxTest, ALongMessageWidensTheWindowAndButtonsFollowTheRightEdge) {
    WorkArea area = workArea();
    RECT rect{};
    std::vector<int> lefts, movedLefts;
    MessageBoxOptions options;
    options.buttons = ButtonsCancelOk;
    std::string text(90, 'W');
    float labelWidth = 0;
    run(nullptr, text, options, [&](HWND box) {
        GetWindowRect(box, &rect);
        for (const BoxButton& b : buttonsOf(box)) lefts.push_back(b.control->left());
        labelWidth = labelOf(box)->currentBounds().Width;
        // A resize lays the buttons out again from the new right edge.
        MoveWindow(box, rect.left, rect.top, drive.width + 40, drive.height, FALSE);
        for (const BoxButton& b : buttonsOf(box)) movedLefts.push_back(b.control->left());
        key(box, VK_ESCAPE);
    });
    int w = drive.width;
    ASSERT_GT(w, 320);
    EXPECT_EQ(drive.height, 150);
    EXPECT_EQ(rect.right - rect.left, w);
    EXPECT_EQ(labelWidth, static_cast<float>(w - 60 + 10));
    // Centred in the work area.
    EXPECT_EQ(rect.left, area.left + (area.width - w) / 2);
    EXPECT_EQ(rect.top, area.top + (area.height - 150) / 2);
    EXPECT_EQ(lefts, (std::vector<int>{w - 75 - 8, w - 150 - 8}));
    EXPECT_EQ(movedLefts, (std::vector<int>{w + 40 - 75 - 10, w + 40 - 150 - 10}));
}

TEST_F(MessageBoxTest, TheBoxIsCentredInsideAWorkAreaAwayFromTheOrigin) {
    RECT saved{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0));
    RECT area{100, 50, 900, 650};
    if (!SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0)) GTEST_SKIP() << "fixed work area";
    RECT rect{};
    run(nullptr, "居中", {}, [&](HWND box) {
        GetWindowRect(box, &rect);
        key(box, VK_ESCAPE);
    });
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    // The middle of the work area, not its size measured from the screen's origin.
    EXPECT_EQ(rect.left, 100 + (800 - 320) / 2);
    EXPECT_EQ(rect.top, 50 + (600 - 150) / 2);
}

TEST_F(MessageBoxTest, AQuitEndsTheBoxAndReachesTheOuterLoop) {
    HWND box = nullptr;
    int result = run(nullptr, "退出", {}, [&](HWND b) {
        box = b;
        PostQuitMessage(7);
    });
    EXPECT_EQ(result, ResultCancel);
    EXPECT_FALSE(IsWindow(box));  // not left on screen without its host
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// Text under 30 pixels high (one line; with the 12 px default font also two) moves down 4.
TEST_F(MessageBoxTest, AOneLineMessageSitsFourPixelsLower) {
    struct Case {
        std::string text;
        int icon;
        RectF expected;
    };
    for (const Case& c : {Case{"一行", 0, RectF(30, 47, 260, 50)},
                          Case{"第一行\r\n第二行\r\n第三行", 0, RectF(30, 43, 260, 50)},
                          Case{"一行", IconInformation, RectF(85, 47, 200, 50)}}) {
        RectF bounds;
        std::string shown;
        MessageBoxOptions options;
        options.icon = c.icon;
        options.beep = 0;
        run(nullptr, c.text, options, [&](HWND box) {
            bounds = labelOf(box)->currentBounds();
            shown = static_cast<DuiLabel*>(labelOf(box))->text();
            key(box, VK_ESCAPE);
        });
        EXPECT_EQ(bounds.X, c.expected.X) << c.text;
        EXPECT_EQ(bounds.Y, c.expected.Y) << c.text;
        EXPECT_EQ(bounds.Width, c.expected.Width) << c.text;
        EXPECT_EQ(drive.height, 150) << c.text;
        EXPECT_EQ(shown.find('\r'), std::string::npos);  // lines end in LF alone
    }
}

TEST_F(MessageBoxTest, AMessageOfManyLinesMakesTheWindowTaller) {
    RECT rect{};
    RectF label;
    std::vector<int> tops;
    run(nullptr, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8", {}, [&](HWND box) {
        GetWindowRect(box, &rect);
        label = labelOf(box)->currentBounds();
        for (const BoxButton& b : buttonsOf(box)) tops.push_back(b.control->top());
        key(box, VK_ESCAPE);
    });
    int h = drive.height;
    ASSERT_GT(h, 150);
    EXPECT_EQ(rect.bottom - rect.top, h);
    EXPECT_EQ(static_cast<int>(label.Height), h - 100 + 5);
    EXPECT_EQ(label.Y, 43);
    EXPECT_EQ(tops, std::vector<int>{h - 35});
    EXPECT_EQ(rect.top, workArea().top + (workArea().height - h) / 2);
}

TEST_F(MessageBoxTest, WithoutAnOwnerHostTheDefaultLookIsUsed) {
    COLORREF theme = 0;
    int alpha = 0;
    std::uint32_t pixel = 0;
    run(nullptr, "默认外观", {}, [&](HWND box) {
        DuiHost* host = hostOfWindow(box);
        theme = host->themeColor;
        alpha = host->windowAlpha;
        pixel = host->compose.pixel(160, 112);  // body band, no control
        key(box, VK_ESCAPE);
    });
    EXPECT_EQ(theme, RGB(0, 136, 255));
    EXPECT_EQ(alpha, 210);
    EXPECT_GT(test::blueOf(pixel), test::redOf(pixel) + 60);
}

TEST_F(MessageBoxTest, AnOwnerHostLendsItsLook) {
    DuiHost ownerHost;
    HWND owner = makeOwner(ownerHost, 400, 300, RGB(200, 40, 40), 230, 1);
    ASSERT_NE(owner, nullptr);
    DuiHost copy;
    std::uint32_t pixel = 0;
    run(owner, "借用外观", {}, [&](HWND box) {
        DuiHost* host = hostOfWindow(box);
        copy.skinSourceWindow = host->skinSourceWindow;
        copy.themeColor = host->themeColor;
        copy.windowAlpha = host->windowAlpha;
        copy.nineGridMargins = host->nineGridMargins;
        copy.frameStyle(host->frameStyle());
        pixel = host->compose.pixel(160, 112);
        key(box, VK_ESCAPE);
    });
    EXPECT_EQ(copy.skinSourceWindow, owner);
    EXPECT_EQ(copy.themeColor, RGB(200, 40, 40));
    EXPECT_EQ(copy.windowAlpha, 230);
    EXPECT_EQ(copy.frameStyle(), 7);  // a frameless owner lends a rounded frame
    EXPECT_EQ(copy.nineGridMargins.right, 3);
    EXPECT_GT(test::redOf(pixel), test::blueOf(pixel) + 60);
    DestroyWindow(owner);
}

TEST_F(MessageBoxTest, ACustomLookUsesItsOwnSettings) {
    MessageBoxOptions options;
    options.customLook = 1;
    options.themeColor = RGB(20, 160, 60);
    options.windowAlpha = 200;
    options.frameStyle = 0;
    int alpha = 0, frame = -1;
    COLORREF theme = 0;
    HWND skin = nullptr;
    run(nullptr, "自定义外观", options, [&](HWND box) {
        DuiHost* host = hostOfWindow(box);
        theme = host->themeColor;
        alpha = host->windowAlpha;
        frame = host->frameStyle();
        skin = host->skinSourceWindow;
        key(box, VK_ESCAPE);
    });
    EXPECT_EQ(theme, RGB(20, 160, 60));
    EXPECT_EQ(alpha, 200);
    EXPECT_EQ(frame, 0);
    EXPECT_EQ(skin, nullptr);
}

TEST_F(MessageBoxTest, TheBackgroundBandsAndTheIconArePainted) {
    // The stop icon's red disc at (40, 60); without an icon the fill shows there.
    struct Sample {
        std::uint32_t icon, header, footer;
    };
    auto sample = [&](int icon) {
        Sample s{};
        MessageBoxOptions options;
        options.icon = icon;
        options.beep = 0;
        run(nullptr, "图标", options, [&](HWND box) {
            DuiHost* host = hostOfWindow(box);
            s = {host->compose.pixel(40, 60), host->compose.pixel(100, 20),
                 host->compose.pixel(100, 130)};
            key(box, VK_ESCAPE);
        });
        return s;
    };
    auto brightness = [](std::uint32_t c) {
        return test::redOf(c) + test::greenOf(c) + test::blueOf(c);
    };
    Sample stop = sample(IconStop);
    Sample none = sample(IconNone);
    EXPECT_GT(test::redOf(stop.icon), test::blueOf(stop.icon) + 80);
    EXPECT_GT(test::blueOf(none.icon), test::redOf(none.icon) + 80);
    // The light header band over the fill, the darker footer under the buttons.
    EXPECT_GT(brightness(none.header), brightness(none.footer) + 60);
}

TEST_F(MessageBoxTest, GlowButtonsAreTallerAndAnswerTheSameWay) {
    MessageBoxOptions options;
    options.buttons = ButtonsCancelOk;
    options.glowButtons = 1;
    std::vector<BoxButton> buttons;
    std::vector<RectF> bounds;
    int result = run(nullptr, "发光按钮", options, [&](HWND box) {
        buttons = buttonsOf(box);
        for (const BoxButton& b : buttons) bounds.push_back(b.control->currentBounds());
        if (buttons.size() == 2) click(box, buttons[1].control);
    });
    ASSERT_EQ(bounds.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(bounds[i].X, 320 - 75 * static_cast<float>(i + 1) - 8);
        EXPECT_EQ(bounds[i].Y, 150 - 35);
        EXPECT_EQ(bounds[i].Width, 70);
        EXPECT_EQ(bounds[i].Height, 26);
    }
    EXPECT_EQ(result, ResultOk);
}

TEST_F(MessageBoxTest, ForgedTagsNeverWriteTheResult) {
    // A tag naming another box, a malformed tag and a two-part tag close the box but leave the
    // result at Cancel; a real tag clicked in another window writes nothing either.
    HWND other = createToolkitWindow(nullptr, "other", 0, 0, 200, 100, nullptr, WS_POPUP, 0);
    DuiHost otherHost;
    AttachOptions plain;
    plain.captionFlags = 0;
    ASSERT_TRUE(otherHost.attach(other, plain));
    for (int variant = 0; variant < 4; ++variant) {
        DuiTextButton forged;
        MessageBoxOptions options;
        options.buttons = ButtonsNoYes;
        int result = run(nullptr, "伪造", options, [&](HWND box) {
            std::string real = buttonsOf(box)[1].control->tag();
            int id = std::stoi(real.substr(0, real.find('|')));
            if (variant == 3) {
                forged.create(other, 0, 0, 70, 24, "x");
                forged.tag(real);
                messageBoxButtonClicked(other, forged.handle(), 0, 0, TextControl);
                key(box, VK_ESCAPE);
                return;
            }
            const std::string tags[] = {std::to_string(id + 1000) + "|5|1", "x|5|1", "5|1"};
            forged.create(box, 10, 10, 70, 24, "x");
            forged.tag(tags[variant]);
            click(box, &forged);
        });
        EXPECT_EQ(result, ResultCancel) << variant;
    }
    DestroyWindow(other);
}

// Counts what reaches a window of the program that is not the box.
int otherPresses = 0, otherKeys = 0, otherPaints = 0;
LRESULT CALLBACK otherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) ++otherPresses;
    if (message == WM_KEYDOWN) ++otherKeys;
    if (message == WM_PAINT) {
        ++otherPaints;
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MessageBoxTest, OtherWindowsRepaintButGetNoInputWhileTheBoxIsUp) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = otherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MessageBoxTestOther";
    RegisterClassW(&wc);
    HWND other = CreateWindowExW(0, wc.lpszClassName, L"other", WS_POPUP, 0, 0, 120, 80, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    ShowWindow(other, SW_SHOWNA);
    pumpFor(50);
    otherPresses = otherKeys = otherPaints = 0;
    run(nullptr, "模态", {}, [other](HWND box) {
        PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(other, WM_KEYDOWN, 'A', 1);
        InvalidateRect(other, nullptr, FALSE);
        // Close later, once the queue has run dry and the paint was due.
        driver->action = [](HWND b) { key(b, VK_ESCAPE); };
        SetTimer(nullptr, 0, 60, driverTick);
        (void)box;
    });
    EXPECT_EQ(otherPresses, 0);
    EXPECT_EQ(otherKeys, 0);
    EXPECT_GE(otherPaints, 1);
    // Once the box is gone the window gets its input again.
    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pumpFor(20);
    EXPECT_EQ(otherPresses, 1);
    DestroyWindow(other);
}

// Finds the prompt by its caption, then drives it like any other box.
void CALLBACK findPromptTick(HWND, UINT, UINT_PTR id, DWORD time) {
    HWND box = FindWindowW(kToolkitWindowClass, L"询问");
    if (!box) return;
    driver->box = box;
    driverTick(nullptr, 0, id, time);
}

// The main window's close prompt, called exactly as the application calls it.
int closePrompt(HWND mainWindow) {
    MessageBoxOptions options;
    options.buttons = ButtonsCancelOk;
    options.caption = "询问";
    options.icon = IconQuestion;
    options.centerOnOwner = 1;
    options.buttonCaptions = std::vector<std::string>{"否[关闭]", "是[托盘]"};
    options.defaultButton = 2;
    options.openAnimation = AnimationZoom;
    options.closeAnimation = AnimationFade;
    options.glowButtons = 1;
    return messageBox(mainWindow,
                      "您是要托盘运行还是要完全关闭服务并退出？\r\n\r\n"
                      "选择是（托盘运行） 选择否（完全关闭）",
                      options);
}

TEST_F(MessageBoxTest, TheClosePromptAnswersTrayOrQuit) {
    DuiHost mainHost;
    HWND main = makeOwner(mainHost, 360, 260, RGB(30, 30, 40), 240, 7);
    ASSERT_NE(main, nullptr);
    RECT mainRect{};
    GetWindowRect(main, &mainRect);

    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        int result;
    };
    const Case cases[] = {
        {"是[托盘]", [](HWND box) { click(box, buttonsOf(box)[1].control); }, 0},
        {"否[关闭]", [](HWND box) { click(box, buttonsOf(box)[0].control); }, 1},
        {"Esc", [](HWND box) { key(box, VK_ESCAPE); }, 1},
        {"Enter on the default", [](HWND box) { key(box, VK_RETURN); }, 0},
    };
    for (const Case& c : cases) {
        drive = {};
        std::vector<std::string> captions;
        RECT boxRect{};
        int icon = 0, closeAnimation = 0;
        bool focusOnTray = false;
        drive.action = [&](HWND box) {
            captions = captionsOf(box);
            GetWindowRect(box, &boxRect);
            icon =
                static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(box, L"Va_DozuzuDO_MsgBox")));
            closeAnimation = hostOfWindow(box)->closeAnimation;
            focusOnTray = hostOfWindow(box)->focusedControl == buttonsOf(box)[1].control->handle();
            c.act(box);
        };
        // The prompt builds its own options, so the driver starts from a timer set here.
        SetTimer(nullptr, 0, 20, findPromptTick);
        EXPECT_EQ(closePrompt(main), c.result) << c.name;
        EXPECT_EQ(captions, (std::vector<std::string>{"否[关闭]", "是[托盘]"})) << c.name;
        EXPECT_EQ(icon, IconQuestion);
        EXPECT_EQ(closeAnimation, AnimationFade);
        EXPECT_TRUE(focusOnTray);
        // Centred on the owner window.
        EXPECT_EQ(boxRect.left, mainRect.left + (360 - (boxRect.right - boxRect.left)) / 2);
        EXPECT_EQ(boxRect.top, mainRect.top + (260 - (boxRect.bottom - boxRect.top)) / 2);
    }
    DestroyWindow(main);
}

}  // namespace
}  // namespace dui
