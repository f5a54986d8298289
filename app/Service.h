// Starting and stopping the accelerator: the per-user proxy auto-configuration value and the
// signs of the state around it (tray icon, tooltip, the tray menu's stop item, the window's look).
#pragma once

namespace lark {

inline constexpr char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr char kAutoConfigValue[] = "AutoConfigURL";
// The tray menu's stop item, by its 0-based place in the menu.
inline constexpr int kStopMenuItem = 2;

// Points AutoConfigURL at pacUrl and tells WinINet; the state becomes Running.
void startService();
// Takes our AutoConfigURL away again (putting back a value start replaced) and tells WinINet; the
// state becomes Stopped.
void stopService();
// Sets the tray icon and tooltip from the service state.
void updateTrayIcon();
// Undoes the registry change of the service without looks or waits (the session is ending).
void undoRegistryChange();

}  // namespace lark
