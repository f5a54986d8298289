// The program-wide state of the application: the windows, the service state and the texts that
// every window of the program reads. All of it lives on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "ui/DuiButton.h"
#include "ui/DuiHost.h"
#include "ui/DuiImage.h"
#include "ui/DuiLabel.h"
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

// The main window's host and controls, in the order the build creates them.
extern dui::DuiHost mainHost;
extern dui::DuiLabel backgroundPanels[2];
extern dui::DuiImage appIconImage;
extern dui::DuiLabel headerLabels[3];    // title, notice line, online count
extern dui::DuiButton windowButtons[2];  // minimise to tray, close
extern dui::DuiLabel statePanel;
extern dui::DuiButton startButton, stopButton, settingsButton, aboutButton;
extern dui::DuiLabel statusLabel;
extern dui::DuiImage advertImage;

// The node window's.
extern dui::DuiHost nodeHost;
extern dui::DuiLabel nodeBackgroundPanel, nodeAdvertLabel, nodeListPanel;
extern dui::DuiButton nodeCloseButton;
extern dui::DuiLabel latencyLabels[3];  // [0] caption, [1] value; [2] unused
extern dui::DuiButton nodeButtons[4];

// The about window's.
extern dui::DuiHost aboutHost;
extern dui::DuiLabel aboutBackgroundPanel, aboutTitleLabel, aboutPanel, aboutTextLabel;
extern dui::DuiButton aboutCloseButton, visitSiteButton;
extern dui::DuiImage aboutImage;
extern std::string pacUrl;      // one of the three node URLs
extern std::string advertLink;  // opened when the advert is clicked

// The tray icons of the two looks.
extern dui::IconHandle idleTrayIcon;
extern dui::IconHandle runningTrayIcon;

// The PAC URL of node 1, 2 or 3 on the web host.
std::string nodeUrl(int node);
// True when the text is one of the three node URLs.
bool isNodeUrl(const std::string& url);

// Frees the program-wide objects, the toolkit controls first; registered to run at process exit.
void teardownGlobals();

}  // namespace lark
