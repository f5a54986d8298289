#include "app/Service.h"

#include <windows.h>
#include <wininet.h>

#include <optional>

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/Platform.h"

namespace lark {
namespace {

// A user's own AutoConfigURL (a company's PAC, say) that start replaced; stop puts it back.
std::optional<RegistryValue> replacedValue;

std::optional<RegistryValue> currentValue() {
    return readRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, kAutoConfigValue);
}

bool isOurs(const RegistryValue& value) {
    const std::optional<std::string> text = registryText(value);
    return text && isNodeUrl(*text);
}

void announceSettingsChanged() {
    InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

void writeOurValue() {
    const std::optional<RegistryValue> before = currentValue();
    if (before && !isOurs(*before)) replacedValue = before;
    writeRegistryText(HKEY_CURRENT_USER, kInternetSettingsKey, kAutoConfigValue, pacUrl);
}

// Removes only what is ours: a value we replaced comes back, a foreign one stays.
void removeOurValue() {
    const std::optional<RegistryValue> now = currentValue();
    const bool oursOrAbsent = !now || isOurs(*now);
    if (replacedValue && oursOrAbsent)
        writeRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, kAutoConfigValue,
                           *replacedValue);
    else if (now && isOurs(*now))
        deleteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, kAutoConfigValue);
    replacedValue.reset();
}

}  // namespace

void startService() {
    showRunningLook();
    writeOurValue();
    waitWithMessages(100);
    announceSettingsChanged();
    setMenuItemEnabled(mainWindowHandle, kStopMenuItem, true);
    serviceState = ServiceState::Running;
    updateTrayIcon();
}

void stopService() {
    showStoppedLook();
    setMenuItemEnabled(mainWindowHandle, kStopMenuItem, false);
    removeOurValue();
    waitWithMessages(100);
    announceSettingsChanged();
    serviceState = ServiceState::Stopped;
    updateTrayIcon();
}

void undoRegistryChange() {
    removeOurValue();
    announceSettingsChanged();
}

void updateTrayIcon() {
    switch (serviceState) {
        case ServiceState::Idle:
            setTrayIcon(mainWindowHandle, idleTrayIcon.get(), "Larkbridge");
            break;
        case ServiceState::Running:
            setTrayIcon(mainWindowHandle, runningTrayIcon.get(), "Larkbridge 服务中");
            break;
        case ServiceState::Stopped:
            setTrayIcon(mainWindowHandle, idleTrayIcon.get(), "Larkbridge 暂未开启服务");
            break;
    }
}

}  // namespace lark
