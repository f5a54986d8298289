#include "app/Globals.h"

#include <utility>

namespace lark {

std::string webHost = LARKBRIDGE_WEB_HOST;
HWND mainWindowHandle = nullptr;
HWND aboutWindowHandle = nullptr;
HWND nodeWindowHandle = nullptr;
ServiceState serviceState = ServiceState::Idle;
std::string pacUrl;
std::string advertLink;
dui::IconHandle idleTrayIcon;
dui::IconHandle runningTrayIcon;

dui::DuiHost mainHost;
dui::DuiLabel backgroundPanels[2];
dui::DuiImage appIconImage;
dui::DuiLabel headerLabels[3];
dui::DuiButton windowButtons[2];
dui::DuiLabel statePanel;
dui::DuiButton startButton, stopButton, settingsButton, aboutButton;
dui::DuiLabel statusLabel;
dui::DuiImage advertImage;

dui::DuiHost nodeHost;
dui::DuiLabel nodeBackgroundPanel, nodeAdvertLabel, nodeListPanel;
dui::DuiButton nodeCloseButton;
dui::DuiLabel latencyLabels[3];
dui::DuiButton nodeButtons[4];

dui::DuiHost aboutHost;
dui::DuiLabel aboutBackgroundPanel, aboutTitleLabel, aboutPanel, aboutTextLabel;
dui::DuiButton aboutCloseButton, visitSiteButton;
dui::DuiImage aboutImage;

std::string nodeUrl(int node) {
    return webHost + "/steam" + std::to_string(node) + ".pac";
}

bool isNodeUrl(const std::string& url) {
    for (int node = 1; node <= 3; ++node)
        if (url == nodeUrl(node)) return true;
    return false;
}

void teardownGlobals() {
    dui::DuiControl* controls[] = {
        &backgroundPanels[0], &backgroundPanels[1], &appIconImage,         &headerLabels[0],
        &headerLabels[1],     &headerLabels[2],     &windowButtons[0],     &windowButtons[1],
        &statePanel,          &startButton,         &stopButton,           &settingsButton,
        &aboutButton,         &statusLabel,         &advertImage,          &nodeBackgroundPanel,
        &nodeAdvertLabel,     &nodeListPanel,       &nodeCloseButton,      &latencyLabels[0],
        &latencyLabels[1],    &latencyLabels[2],    &nodeButtons[0],       &nodeButtons[1],
        &nodeButtons[2],      &nodeButtons[3],      &aboutBackgroundPanel, &aboutTitleLabel,
        &aboutPanel,          &aboutTextLabel,      &aboutCloseButton,     &visitSiteButton,
        &aboutImage};
    for (dui::DuiControl* control : controls) control->destroy();
    for (auto [host, window] :
         {std::pair{&mainHost, mainWindowHandle}, std::pair{&nodeHost, nodeWindowHandle},
          std::pair{&aboutHost, aboutWindowHandle}})
        host->detach(window);
    pacUrl.clear();
    advertLink.clear();
    idleTrayIcon.reset();
    runningTrayIcon.reset();
}

}  // namespace lark
