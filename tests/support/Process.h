// Starts the real larkbridge.exe from a test and waits for it, its window or its exit.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/UniqueHandle.h"

namespace larktest {

struct Launched {
    dui::KernelHandle process;
    DWORD processId = 0;
};

Launched launchProgram();
// The visible top-level window with this title that belongs to the process, within the time.
HWND waitForWindow(DWORD processId, const char* title, DWORD timeoutMs);
// The exit code, or nothing when the process still runs after the time.
std::optional<DWORD> waitForExit(const Launched& program, DWORD timeoutMs);

}  // namespace larktest
