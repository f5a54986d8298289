// The main window: its build, the two looks of the service state, the tray and the exit path.
#pragma once

#include <windows.h>

#include <string>

#include "app/Forms.h"
#include "ui/DuiMessageBox.h"

namespace lark {

// The main window's template: title, size, the tray menu and its event handlers.
const FormTemplate& mainWindowTemplate();

void buildMainWindow(HWND window);
void showRunningLook();
void showStoppedLook();
// Puts a text on the notice line (the reminder, then the result of the version check).
void showNotice(const std::string& text);

void showMainWindow();
void showNodeWindow();
void showAboutWindow();
// Asks whether to keep running in the tray or to stop the service and quit.
void confirmClose();
inline constexpr char kClosePromptText[] =
    "您是要托盘运行还是要完全关闭服务并退出？\r\n\r\n选择是（托盘运行） 选择否（完全关闭）";
// The arguments of that question, for the look and its answers.
dui::MessageBoxOptions closePromptOptions();
void onTrayEvent(int kind);
void onWindowStateChanged();
void minimiseToTray();
// The advert and the online count of the main window.
void loadAdvert();
void openAdvertLink();
void refreshOnlineCount();
void onOnlineCountTimer();
// Stops the service, removes the tray icon and ends the process with code 0.
[[noreturn]] void exitProgram();

}  // namespace lark
