#include "tests/support/Process.h"

#include "app/Platform.h"

namespace larktest {

Launched launchProgram() {
    char commandLine[] = LARKBRIDGE_EXE_PATH;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Launched launched;
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        dui::KernelHandle thread(info.hThread);
        launched.process.reset(info.hProcess);
        launched.processId = info.dwProcessId;
    }
    return launched;
}

HWND waitForWindow(DWORD processId, const char* title, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, title); window;
             window = FindWindowExA(nullptr, window, nullptr, title)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId && IsWindowVisible(window)) return window;
        }
        lark::waitWithMessages(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::optional<DWORD> waitForExit(const Launched& program, DWORD timeoutMs) {
    if (WaitForSingleObject(program.process.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(program.process.get(), &code);
    return code;
}

}  // namespace larktest
