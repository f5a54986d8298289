#include "app/Globals.h"

namespace lark {

std::string webHost = LARKBRIDGE_WEB_HOST;
HWND mainWindowHandle = nullptr;
HWND aboutWindowHandle = nullptr;
HWND nodeWindowHandle = nullptr;
ServiceState serviceState = ServiceState::Idle;
std::string pacUrl;
std::string advertLink;
std::string noticeText;
dui::IconHandle idleTrayIcon;
dui::IconHandle runningTrayIcon;

std::string nodeUrl(int node) {
    return webHost + "/steam" + std::to_string(node) + ".pac";
}

bool isNodeUrl(const std::string& url) {
    for (int node = 1; node <= 3; ++node)
        if (url == nodeUrl(node)) return true;
    return false;
}

void teardownGlobals() {
    pacUrl.clear();
    advertLink.clear();
    idleTrayIcon.reset();
    runningTrayIcon.reset();
}

}  // namespace lark
