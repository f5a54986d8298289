#include "app/MainWindow.h"

#include <cstdlib>

#include "app/Adverts.h"
#include "app/Globals.h"
#include "app/OnlineCounter.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
#include "app/WindowLook.h"
#include "ui/DuiMessageBox.h"
#include "resources/Embedded.h"

namespace lark {
namespace {

constexpr MenuItemTemplate kTrayMenu[] = {
    {"显示主界面", showMainWindow},
    {"开始服务", startService},
    {"停止服务", stopService},
    {"退出", exitProgram},
};

void onSessionEnding() {
    undoRegistryChange();
}

// The four main buttons in one look: texts, colour and font style.
struct ButtonLook {
    const char* startText;
    COLORREF color;
    int alpha;
    std::optional<int> style;
};

constexpr ButtonLook kStoppedButtons{"启动服务", 0xFFFFFF, 200, std::nullopt};
constexpr ButtonLook kRunningButtons{"Service ok!", 0xE5C14E, 255, 1};

void applyButtonLook(const ButtonLook& look, bool repaint) {
    struct Place {
        dui::DuiButton& button;
        int x, y, width, height;
        const char* text;
    } places[] = {{startButton, 26, 64, 74, 36, look.startText},
                  {stopButton, 100, 64, 58, 36, "停止"},
                  {settingsButton, 190, 62, 60, 38, "设置"},
                  {aboutButton, 262, 62, 60, 38, "关于"}};
    for (const Place& place : places) {
        dui::TextStyle style;
        style.textColor = dui::argbColor(look.color, look.alpha);
        style.fontName = kFontName;
        style.fontStyle = look.style;
        place.button.create(mainWindowHandle, place.x, place.y, place.width, place.height,
                            place.text, style);
        if (repaint) place.button.repaint();
    }
}

void createStatusLabel(const char* text, COLORREF color, int alpha, std::optional<int> style) {
    createTextLabel(statusLabel, mainWindowHandle, 12, 128, 200, 18, text, color, alpha, 11.0f,
                    style);
}

}  // namespace

const FormTemplate& mainWindowTemplate() {
    static const FormTemplate form{
        .title = "Larkbridge SteamCommunity",
        .width = 350,
        .height = 250,
        .visible = true,
        .onCreated = onMainWindowCreated,
        .onStateChanged = onWindowStateChanged,
        .onTray = onTrayEvent,
        .onSessionEnding = onSessionEnding,
        .menuTitle = "托盘菜单",
        .menuItems = kTrayMenu,
    };
    return form;
}

void loadAdvert() {
    Advert advert = fetchAdvert(webHost);
    advertLink = std::move(advert.link);
    advertImage.image(std::span<const std::uint8_t>(advert.picture));
}

void openAdvertLink() {
    openAdvert(advertLink);
}

void refreshOnlineCount() {
    headerLabels[2].text(fetchOnlineCountText(webHost));
}

// A tick asks on a worker thread; the label is set back on the user-interface thread.
void refreshOnWorker(void*) {
    const std::string text = fetchOnlineCountText(webHost);
    runOnUiThread(mainWindowHandle, [text] { headerLabels[2].text(text); });
}

void onOnlineCountTimer() {
    startThread(refreshOnWorker, nullptr);
}

void buildMainWindow(HWND window) {
    mainWindowHandle = window;
    attachWindowHost(mainHost, window);
    // Composed once when the build is done, not once per control.
    dui::RedrawBatch batch(mainHost);

    createPanel(backgroundPanels[0], window, 0, 0, 350, 150, kPanelColor);
    createPanel(backgroundPanels[1], window, 0, 149, 350, 101, kPanelColor);
    appIconImage.create(window, 6, 7, 20, 20, res::larkbridge_ico, 0);
    createTextLabel(headerLabels[0], window, 26, 10, 110, 16, "Larkbridge v14", 0xFFFFFF, 200,
                    11.0f);
    createTextLabel(headerLabels[1], window, 120, 9, 230, 16, "提醒：无效的话请尝试更换节点！",
                    0xFFFFFF, 200);
    createPanel(statePanel, window, 8, 36, 334, 90, kInnerPanelColor);

    createGlyphButton(windowButtons[0], window, 300, res::minimise_png, res::minimise_lit_png);
    bindPress(windowButtons[0], minimiseToTray);
    createGlyphButton(windowButtons[1], window, 324, res::close_png, res::close_lit_png);
    bindPress(windowButtons[1], confirmClose);

    applyButtonLook(kStoppedButtons, false);
    setButtonSkin(startButton, res::start_frame_png, res::start_frame_lit_png);
    bindPress(startButton, startService);
    setButtonSkin(stopButton, res::stop_frame_png, res::stop_frame_lit_png);
    bindPress(stopButton, stopService);
    setButtonSkin(settingsButton, res::square_frame_png, res::square_frame_lit_png);
    bindPress(settingsButton, showNodeWindow);
    setButtonSkin(aboutButton, res::square_frame_png, res::square_frame_lit_png);
    bindPress(aboutButton, showAboutWindow);
    createStatusLabel("║  暂未启动服务...", 0xFFFFFF, 200, std::nullopt);

    createTextLabel(headerLabels[2], window, 170, 128, 230, 16, kOnlineCountInitialText, 0x00FFFF,
                    255, 11.0f);

    idleTrayIcon = iconFromIcoBytes(res::tray_idle_ico, 16);
    runningTrayIcon = iconFromIcoBytes(res::tray_running_ico, 16);
    setTrayIcon(mainWindowHandle, idleTrayIcon.get(), "Larkbridge");

    advertImage.create(window, 8, 159, 334, 82, res::advert_placeholder_png, {}, {}, {}, {}, {}, 4);
    bindPress(advertImage, openAdvertLink);
    loadAdvert();
    setMenuItemEnabled(mainWindowHandle, kStopMenuItem, false);
    refreshOnlineCount();
    setFormTimer(mainWindowHandle, kOnlineCountIntervalMs, onOnlineCountTimer);
}

void showRunningLook() {
    createPanel(statePanel, mainWindowHandle, 8, 36, 334, 90, 0x201A14);
    statePanel.repaint();
    applyButtonLook(kRunningButtons, true);
    createStatusLabel("●  已经启动服务并服务中...", 0xC6A644, 255, 1);
    statusLabel.repaint();
    // The wait lets the restyled window show before the registry changes.
    waitWithMessages(1200);
    createStatusLabel("●  已经启动服务并服务中", 0xE5C14E, 255, 1);
    statusLabel.repaint();
}

void showStoppedLook() {
    createPanel(statePanel, mainWindowHandle, 8, 36, 334, 90, kInnerPanelColor);
    statePanel.repaint();
    applyButtonLook(kStoppedButtons, true);
    createStatusLabel("║  暂未启动服务...", 0xFFFFFF, 200, std::nullopt);
    statusLabel.repaint();
}

void showNotice(const std::string& text) {
    headerLabels[1].text(text);
}

void showNodeWindow() {
    setWindowVisible(nodeWindowHandle, true);
}

void showAboutWindow() {
    setWindowVisible(aboutWindowHandle, true);
}

void showMainWindow() {
    setAlwaysOnTop(mainWindowHandle, true);
    setWindowVisible(mainWindowHandle, true);
    setFormState(mainWindowHandle, FormState::RestoredCentred);
    synthesizeClick();
}

void onTrayEvent(int kind) {
    switch (kind) {
        case 1:
            setWindowVisible(mainWindowHandle, true);
            setFormState(mainWindowHandle, FormState::RestoredCentred);
            synthesizeClick();
            setAlwaysOnTop(mainWindowHandle, true);
            break;
        case 3:
            popUpFormMenu(mainWindowHandle);
            break;
        default:
            break;
    }
}

void onWindowStateChanged() {
    if (formState(mainWindowHandle) != FormState::Minimised) return;
    updateTrayIcon();
    setWindowVisible(mainWindowHandle, false);
    setAlwaysOnTop(mainWindowHandle, false);
}

void minimiseToTray() {
    setFormState(mainWindowHandle, FormState::Minimised);
    // The pointer left the button without the button being told: this clears its hover look.
    windowButtons[0].disabled(1);
    windowButtons[0].disabled(0);
}

dui::MessageBoxOptions closePromptOptions() {
    dui::MessageBoxOptions options;
    options.buttons = dui::ButtonsCancelOk;
    options.caption = "询问";
    options.icon = dui::IconQuestion;
    options.centerOnOwner = 1;
    // The first caption is the rightmost button (Cancel), the second stands left of it (OK).
    options.buttonCaptions = std::vector<std::string>{"否[关闭]", "是[托盘]"};
    options.defaultButton = 2;
    options.openAnimation = 7;
    options.closeAnimation = 1;
    options.glowButtons = 1;
    return options;
}

void confirmClose() {
    const int answer = dui::messageBox(mainWindowHandle, kClosePromptText, closePromptOptions());
    if (answer == dui::ResultOk)
        minimiseToTray();
    else
        exitProgram();
}

void exitProgram() {
    stopService();
    setTrayIcon(mainWindowHandle, nullptr, {});
    std::exit(0);
}

}  // namespace lark
