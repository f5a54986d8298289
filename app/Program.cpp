#include "app/Program.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/AboutWindow.h"
#include "app/Forms.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/NodeWindow.h"
#include "app/Platform.h"
#include "ui/DuiToolkit.h"
#include "ui/UniqueHandle.h"

namespace lark {
namespace {

constexpr DWORD kEventAllAccess = 0x1F0003;

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string ownExecutableName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void runTeardown() {
    teardownGlobals();
}

}  // namespace

int runProgram() {
    startProgram();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

void startProgram() {
    static bool started = false;
    if (started) return;
    started = true;
    // The toolkit's process-wide objects exist before the teardown is registered, so they are
    // still alive when it destroys the controls at exit.
    dui::toolkit();
    std::atexit(runTeardown);
    dui::initToolkit();
    seedRandom();
    createForm(mainWindowTemplate());
}

void onMainWindowCreated(HWND window) {
    ensureSingleInstance(kProductName);
    serviceState = ServiceState::Idle;
    pacUrl = nodeUrl(1);
    buildMainWindow(window);
    createForm(aboutWindowTemplate());
    createForm(nodeWindowTemplate());
    checkVersion();
}

void ensureSingleInstance(const char* name) {
    dui::KernelHandle existing(OpenEventA(kEventAllAccess, FALSE, name));
    if (existing) {
        const DWORD first = findProcessByName(ownExecutableName());
        activateWindow(findProcessWindow(first, 100));
        std::exit(0);
    }
    // The event only marks that an instance runs: it stays open for the life of the process.
    static dui::KernelHandle marker;
    marker.reset(CreateEventA(nullptr, FALSE, FALSE, name));
}

DWORD findProcessByName(const std::string& name) {
    dui::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const std::string wanted = lowerCase(name);
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lowerCase(entry.szExeFile) == wanted) return entry.th32ProcessID;
    }
    return 0;
}

HWND findProcessWindow(DWORD processId, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    while (GetTickCount() - start < timeoutMs) {
        window = FindWindowExA(nullptr, window, nullptr, nullptr);
        if (window && IsWindow(window) && IsWindowVisible(window)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId) return window;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return nullptr;
}

void activateWindow(HWND window) {
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void checkVersion() {
    const Bytes body = httpGet(webHost + "/gx.txt");
    // The body is text up to its first zero byte, compared whole and case-sensitively.
    const std::string published(body.begin(), std::find(body.begin(), body.end(), 0));
    showNotice(published == kProgramVersion ? kLatestVersionNotice : kNewVersionNotice);
}

}  // namespace lark
