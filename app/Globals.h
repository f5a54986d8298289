// The program-wide state of the application: the windows, the service state and the texts that
// every window of the program reads. All of it lives on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "ui/UniqueHandle.h"

namespace lark {

enum class ServiceState : int { Idle = 1, Running = 2, Stopped = 3 };

// The maker's web host (plain HTTP, no trailing slash) and the forwarding node's IPv4 address.
// Fixed at build time; the web host is a variable only so tests can point it at a closed port.
extern std::string webHost;
inline constexpr char kNodeAddress[] = LARKBRIDGE_NODE_ADDRESS;
inline constexpr char kProgramVersion[] = "14";
inline constexpr char kProductName[] = "Larkbridge";

extern HWND mainWindowHandle;   // not owned: the window system destroys it at exit
extern HWND aboutWindowHandle;  // not owned
extern HWND nodeWindowHandle;   // not owned
extern ServiceState serviceState;
extern std::string pacUrl;      // one of the three node URLs
extern std::string advertLink;  // opened when the advert is clicked
extern std::string noticeText;  // the main window's notice line

// The tray icons of the two looks.
extern dui::IconHandle idleTrayIcon;
extern dui::IconHandle runningTrayIcon;

// The PAC URL of node 1, 2 or 3 on the web host.
std::string nodeUrl(int node);
// True when the text is one of the three node URLs.
bool isNodeUrl(const std::string& url);

// Frees the program-wide objects; registered to run at process exit.
void teardownGlobals();

}  // namespace lark
