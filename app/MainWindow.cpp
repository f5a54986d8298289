#include "app/MainWindow.h"

#include <cstdlib>

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
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

void buildMainWindow(HWND window) {
    mainWindowHandle = window;
    idleTrayIcon = iconFromIcoBytes(res::tray_idle_ico, 16);
    runningTrayIcon = iconFromIcoBytes(res::tray_running_ico, 16);
    showNotice("提醒：无效的话请尝试更换节点！");
    setTrayIcon(mainWindowHandle, idleTrayIcon.get(), "Larkbridge");
    setMenuItemEnabled(mainWindowHandle, kStopMenuItem, false);
}

void showRunningLook() {
    // The wait lets the restyled window show before the registry changes.
    waitWithMessages(1200);
}

void showStoppedLook() {}

void showNotice(const std::string& text) {
    noticeText = text;
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
}

void exitProgram() {
    stopService();
    setTrayIcon(mainWindowHandle, nullptr, {});
    std::exit(0);
}

}  // namespace lark
