// The program's own form loader: creates the application's plain top-level windows from small
// templates and raises the creation, state-change, tray, menu and timer events the app handles.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>

namespace lark {

struct MenuItemTemplate {
    const char* text;
    void (*onChosen)();
};

struct FormTemplate {
    const char* title;
    int width;
    int height;
    bool visible;  // shown once the creation handler has run
    void (*onCreated)(HWND window) = nullptr;
    void (*onStateChanged)() = nullptr;
    void (*onTray)(int kind) = nullptr;    // 1 left up, 2 left double click, 3 right up / menu key
    void (*onCloseRequested)() = nullptr;  // without it a close request is ignored
    void (*onSessionEnding)() = nullptr;   // Windows is ending the session for real
    const char* menuTitle = nullptr;       // an invisible popup used as the tray menu
    std::span<const MenuItemTemplate> menuItems = {};
};

// Window states: 0 normal, 1 restored and centred on the screen, 2 minimised, 3 maximised.
enum class FormState { Normal = 0, RestoredCentred = 1, Minimised = 2, Maximised = 3 };

inline constexpr int kFormLeft = 50;
inline constexpr int kFormTop = 50;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;
inline constexpr UINT kTrayIconId = 100;
// Menu items post WM_COMMAND with this base plus their 0-based index.
inline constexpr UINT kMenuCommandBase = 0x100;

// Creates the window (hidden), runs its creation handler, then shows it if the template says so.
// The template must outlive the window.
HWND createForm(const FormTemplate& form);

// Only while the window is visible: applies the state and raises the state-change event.
void setFormState(HWND window, FormState state);
// The value last written (or the one the system last applied).
FormState formState(HWND window);

// Starts (or re-times) the window's timer; tick runs on the user-interface thread.
void setFormTimer(HWND window, UINT intervalMs, void (*tick)());

// The form's popup menu.
void setMenuItemEnabled(HWND window, int index, bool enabled);
bool menuItemEnabled(HWND window, int index);
// Shows the menu at the pointer; the chosen item's handler runs through WM_COMMAND.
void popUpFormMenu(HWND window);

// The notification-area icon of the window: an icon adds or replaces it with the tooltip (at most
// 62 bytes kept); a null icon removes it. The form re-adds it when Explorer restarts.
void setTrayIcon(HWND window, HICON icon, const std::string& tooltip);
bool hasTrayIcon(HWND window);
const std::string& trayTooltip(HWND window);
HICON trayIcon(HWND window);

// Runs task on the window's (user-interface) thread; callable from any thread. Worker threads
// hand their results over this way, so no control is touched off the user-interface thread.
void runOnUiThread(HWND window, std::function<void()> task);

}  // namespace lark
