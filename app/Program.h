// The program's entry and start-up: the single-instance guard, the main window's creation
// handler and the check of the published version.
#pragma once

#include <windows.h>

#include <string>

namespace lark {

// Entry: starts the program and runs the message loop until it exits.
int runProgram();
// Steps before the message loop: teardown registration, toolkit start, main window creation.
// Runs once per process; later calls do nothing.
void startProgram();

void onMainWindowCreated(HWND window);
// Returns when this is the only instance; otherwise brings the first one forward and ends the
// process with code 0.
void ensureSingleInstance(const char* name);
DWORD findProcessByName(const std::string& name);
HWND findProcessWindow(DWORD processId, DWORD timeoutMs);
void activateWindow(HWND window);
// Compares the version published on the web host with ours and says so on the notice line.
void checkVersion();

inline constexpr char kLatestVersionNotice[] = "本版本为最新版本！";
inline constexpr char kNewVersionNotice[] = "检测到新版本，本版本可能失效！";

}  // namespace lark
