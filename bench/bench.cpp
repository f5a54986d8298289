// Measures Larkbridge side by side with a baseline and prints one Markdown table: start-up to the
// shown window (web host answering and refusing), hover frame against a full render, idle CPU,
// memory growth over start/stop cycles and hover transitions, and the size of the exe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/OnlineCounter.h"
#include "app/Platform.h"
#include "app/Program.h"
#include "app/Service.h"
#include "tests/support/Footprint.h"
#include "ui/DuiCompositor.h"
#include "ui/DuiToolkit.h"
#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace {

constexpr char kMainTitle[] = "Larkbridge SteamCommunity";
constexpr char kMinimalTitle[] = "Bench Minimal";
// Nothing listens on port 1 of the loopback address: every request there is refused.
constexpr char kRefusingHost[] = "http://127.0.0.1:1";

struct Settings {
    int runs = 5;
    int cycles = 1000;
    int hovers = 10000;
    int idleSeconds = 60;
};

std::string benchDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.rfind('\\'));
}

std::string variantExe() {
    return benchDirectory() + "\\bench_variant.exe";
}

std::string larkbridgeExe() {
    return benchDirectory() + "\\..\\larkbridge.exe";
}

double nowMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double ticksToMs(long long ticks) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

struct Child {
    dui::KernelHandle process;
    DWORD processId = 0;
};

Child launch(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Child child;
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        dui::KernelHandle thread(info.hThread);
        child.process.reset(info.hProcess);
        child.processId = info.dwProcessId;
    }
    return child;
}

HWND visibleWindowOf(DWORD processId, const char* title) {
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, title); window;
         window = FindWindowExA(nullptr, window, nullptr, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Milliseconds from start until the child shows its window (timeoutMs when it never does). Each
// look is a few Wine server requests, which the starting child needs too: looking every 5 ms
// rather than continuously keeps the measurement from slowing what it measures.
double waitForWindow(const Child& child, const char* title, DWORD timeoutMs, double start,
                     HWND& window) {
    window = nullptr;
    while (nowMs() - start < timeoutMs) {
        if ((window = visibleWindowOf(child.processId, title))) return nowMs() - start;
        Sleep(5);
    }
    return timeoutMs;
}

// Quits through the program's own way out (the tray menu's 退出, or closing the baseline).
void quit(Child& child, HWND window, bool larkbridge) {
    if (window)
        PostMessageA(window, larkbridge ? WM_COMMAND : WM_CLOSE,
                     larkbridge ? lark::kMenuCommandBase + 3 : 0, 0);
    if (WaitForSingleObject(child.process.get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(child.process.get(), 1);
}

// Milliseconds from process creation to its window being shown.
double startupMs(const std::string& commandLine, const char* title) {
    const double start = nowMs();
    Child child = launch(commandLine);
    HWND window = nullptr;
    const double ms = waitForWindow(child, title, 60000, start, window);
    Sleep(300);  // the program settles before it is told to quit
    quit(child, window, title != kMinimalTitle);
    Sleep(300);
    return ms;
}

struct StartupFigures {
    double minimalMs, answeringMs, refusingMs;
};

// The three programs take turns, so that a slower spell of the machine falls on all of them;
// the median of the runs of each.
StartupFigures medianStartups(const std::string& minimal, const std::string& answering,
                              const std::string& refusing, int runs) {
    std::vector<double> minimalMs, answeringMs, refusingMs;
    for (int i = 0; i < runs; ++i) {
        minimalMs.push_back(startupMs(minimal, kMinimalTitle));
        answeringMs.push_back(startupMs(answering, kMainTitle));
        refusingMs.push_back(startupMs(refusing, kMainTitle));
    }
    return {median(minimalMs), median(answeringMs), median(refusingMs)};
}

// Milliseconds from process creation to its exit, for a program that ends at once; the median.
double medianRunMs(const std::string& commandLine, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        Child child = launch(commandLine);
        WaitForSingleObject(child.process.get(), 30000);
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double processCpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 10000.0;
}

struct IdleFigures {
    double startupCpuMs, percent;
};

// Per cent of one core the shown, idle program uses over the time, both its timers running; with
// the CPU time its start-up took, which shows the counter is read at all.
IdleFigures idleCpu(int seconds) {
    const double launched = nowMs();
    Child child = launch("\"" + larkbridgeExe() + "\"");
    HWND window = nullptr;
    waitForWindow(child, kMainTitle, 60000, launched, window);
    Sleep(3000);
    const double cpuBefore = processCpuMs(child.process.get());
    const double start = nowMs();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double percent =
        100.0 * (processCpuMs(child.process.get()) - cpuBefore) / (nowMs() - start);
    quit(child, window, true);
    return {cpuBefore, percent};
}

void pointerTo(int x, int y) {
    PostMessageA(lark::mainWindowHandle, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

struct FrameFigures {
    double pixelsPerFrame, buttonArea, frameMs, fullRenderMs, framePresentMs, fullPresentMs;
    double buttonComposeMs;  // the button's area composed without a transition
    long long frames;
};


// The start button's hover transition against re-composing and presenting the whole window,
// in alternating rounds so that both see the same machine; medians of the rounds.
FrameFigures measureFrames() {
    constexpr int kRounds = 7, kRepeats = 20;
    const dui::RectF whole{0, 0, 350, 250};
    const dui::RectF button = lark::startButton.currentBounds();
    auto composeMs = [](const dui::RectF& area, double& presentMs) {
        const dui::CompositeStats before = dui::compositeStats;
        for (int i = 0; i < kRepeats; ++i)
            dui::compositeArea(lark::mainWindowHandle, area, &lark::mainHost,
                               lark::mainHost.composeGraphics(), 1);
        presentMs = ticksToMs(dui::compositeStats.presentTicks - before.presentTicks) / kRepeats;
        return ticksToMs(dui::compositeStats.ticks - before.ticks) / kRepeats;
    };
    std::vector<double> full, fullPresent, buttonOnly, frame, framePresent, pixels;
    long long frames = 0;
    pointerTo(5, 240);
    lark::waitWithMessages(500);
    for (int round = 0; round < kRounds; ++round) {
        double present = 0;
        full.push_back(composeMs(whole, present));
        fullPresent.push_back(present);
        buttonOnly.push_back(composeMs(button, present));
        const dui::CompositeStats before = dui::compositeStats;
        pointerTo(63, 82);  // onto the start button
        lark::waitWithMessages(800);
        pointerTo(5, 240);  // and off it again
        lark::waitWithMessages(800);
        const long long n = dui::compositeStats.calls - before.calls;
        if (!n) continue;
        frames += n;
        frame.push_back(ticksToMs(dui::compositeStats.ticks - before.ticks) / n);
        framePresent.push_back(
            ticksToMs(dui::compositeStats.presentTicks - before.presentTicks) / n);
        pixels.push_back(static_cast<double>(dui::compositeStats.pixels - before.pixels) / n);
    }
    FrameFigures figures{};
    figures.fullRenderMs = median(full);
    figures.fullPresentMs = median(fullPresent);
    figures.buttonComposeMs = median(buttonOnly);
    figures.frameMs = median(frame);
    figures.framePresentMs = median(framePresent);
    figures.pixelsPerFrame = median(pixels);
    figures.frames = frames;
    figures.buttonArea = static_cast<double>(button.Width) * button.Height;
    return figures;
}

struct MemoryFigures {
    double startMiB, endMiB;
    long objectsBefore, objectsAfter;
};

MemoryFigures measureMemory(const Settings& settings) {
    MemoryFigures figures{};
    lark::waitWithMessages(1000);
    figures.startMiB = larktest::committedBytes() / 1048576.0;
    figures.objectsBefore = larktest::liveGraphicsObjects();
    for (int i = 0; i < settings.cycles; ++i) {
        lark::startService();
        lark::stopService();
    }
    for (int i = 0; i < settings.hovers / 2; ++i) {
        pointerTo(63, 82);
        lark::waitWithMessages(8);
        pointerTo(5, 240);
        lark::waitWithMessages(8);
    }
    lark::waitWithMessages(1000);
    figures.endMiB = larktest::committedBytes() / 1048576.0;
    figures.objectsAfter = larktest::liveGraphicsObjects();
    return figures;
}

struct StartupParts {
    double toolkitMs, downloadMs, counterMs;
};

// Where the start-up's time goes: each part timed on its first call in this process, as in the
// program's own start-up (the counter post's first call starts COM and the request object).
StartupParts measureStartupParts() {
    StartupParts parts{};
    double start = nowMs();
    dui::initToolkit();
    parts.toolkitMs = nowMs() - start;
    start = nowMs();
    lark::httpGet(lark::webHost + "/gx.txt");
    parts.downloadMs = nowMs() - start;
    start = nowMs();
    lark::fetchOnlineCountText(lark::webHost);
    parts.counterMs = nowMs() - start;
    return parts;
}

const char* verdict(bool met) {
    return met ? "met" : "missed";
}

int runBenchmark(const Settings& settings) {
    const std::string larkbridge = "\"" + larkbridgeExe() + "\"";
    const std::string minimal = "\"" + benchDirectory() + "\\bench_minimal.exe\"";
    const std::string refusing = "\"" + variantExe() + "\" --program " + kRefusingHost;

    const StartupFigures startups = medianStartups(minimal, larkbridge, refusing, settings.runs);
    const double minimalMs = startups.minimalMs, answeringMs = startups.answeringMs,
                 refusingMs = startups.refusingMs;
    const double minimalExitMs = medianRunMs(minimal + " --exit", settings.runs);
    const double importsExitMs = medianRunMs("\"" + variantExe() + "\" --exit", settings.runs);
    const IdleFigures idle = idleCpu(settings.idleSeconds);
    const StartupParts parts = measureStartupParts();

    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(larkbridgeExe().c_str(), GetFileExInfoStandard, &attributes);
    const double sizeMiB = attributes.nFileSizeLow / 1048576.0;

    // The rest runs the program in this process, against the answering web host.
    const double buildStart = nowMs();
    lark::startProgram();
    const double buildMs = nowMs() - buildStart;
    const FrameFigures frames = measureFrames();
    const MemoryFigures memory = measureMemory(settings);
    lark::stopService();

    const double answeringRatio = answeringMs / minimalMs, refusingRatio = refusingMs / minimalMs;
    const double pixelRatio = frames.pixelsPerFrame / frames.buttonArea;
    const double timeShare = 100.0 * frames.frameMs / frames.fullRenderMs;
    const double growth = memory.endMiB - memory.startMiB;
    std::printf("| figure | measured | baseline | ratio | target | |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::printf(
        "| start-up to the shown window, host answering (median of %d) | %.0f ms | %.0f ms "
        "(minimal window) | %.2f | <= 1.3 | %s |\n",
        settings.runs, answeringMs, minimalMs, answeringRatio, verdict(answeringRatio <= 1.3));
    std::printf(
        "| start-up to the shown window, host refusing (median of %d) | %.0f ms | %.0f ms | "
        "%.2f | <= 1.5 | %s |\n",
        settings.runs, refusingMs, minimalMs, refusingRatio, verdict(refusingRatio <= 1.5));
    std::printf(
        "| process start and exit without a window: the program's DLL imports | %.0f ms | %.0f "
        "ms (minimal) | %.2f | | |\n",
        importsExitMs, minimalExitMs, importsExitMs / minimalExitMs);
    std::printf(
        "| hover frame of the start button: pixels composed (%lld frames, median of 7 rounds) | "
        "%.0f px | %.0f px "
        "(button) | %.2f | <= 1.1 | %s |\n",
        frames.frames, frames.pixelsPerFrame, frames.buttonArea, pixelRatio,
        verdict(pixelRatio <= 1.1));
    std::printf(
        "| hover frame: time (compose + present) | %.2f ms | %.2f ms (full render) | %.0f %% | "
        "<= 25 %% | %s |\n",
        frames.frameMs, frames.fullRenderMs, timeShare, verdict(timeShare <= 25));
    std::printf(
        "| hover frame: time composing alone (presenting excluded) | %.2f ms | %.2f ms | %.0f %% "
        "| | |\n",
        frames.frameMs - frames.framePresentMs, frames.fullRenderMs - frames.fullPresentMs,
        100.0 * (frames.frameMs - frames.framePresentMs) /
            (frames.fullRenderMs - frames.fullPresentMs));
    std::printf(
        "| the button's area composed and presented without a transition | %.2f ms | "
        "%.2f ms | %.0f %% | | |\n",
        frames.buttonComposeMs, frames.fullRenderMs,
        100.0 * frames.buttonComposeMs / frames.fullRenderMs);
    std::printf(
        "| start-up in this process after those parts: the three windows built and shown | "
        "%.0f ms | | | | |\n",
        buildMs);
    std::printf(
        "| start-up parts, first call in a process: toolkit start / one download / "
        "counter post | %.0f / %.0f / %.0f ms | | | | |\n",
        parts.toolkitMs, parts.downloadMs, parts.counterMs);
    std::printf(
        "| idle CPU over %d s, window shown, both timers | %.3f %% of one core | | | "
        "<= 1 %% | %s |\n",
        settings.idleSeconds, idle.percent, verdict(idle.percent <= 1.0));
    std::printf("| CPU time of the start-up (same process, first 3 s) | %.0f ms | | | | |\n",
                idle.startupCpuMs);
    std::printf(
        "| committed memory after %d start/stop cycles and %d hover transitions | %.2f MiB | "
        "%.2f MiB (after start-up) | %+.2f MiB | < 2 MiB growth | %s |\n",
        settings.cycles, settings.hovers, memory.endMiB, memory.startMiB, growth,
        verdict(growth < 2.0));
    std::printf(
        "| live GDI/GDI+ objects, same run | %ld | %ld (after start-up) | | no growth | "
        "%s |\n",
        memory.objectsAfter, memory.objectsBefore,
        verdict(memory.objectsAfter <= memory.objectsBefore));
    std::printf("| size of larkbridge.exe | %.2f MiB | | | <= 2 MiB | %s |\n", sizeMiB,
                verdict(sizeMiB <= 2.0));
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--runs")) settings.runs = value;
        if (!std::strcmp(argv[i], "--cycles")) settings.cycles = value;
        if (!std::strcmp(argv[i], "--hovers")) settings.hovers = value;
        if (!std::strcmp(argv[i], "--idle-seconds")) settings.idleSeconds = value;
    }
    return runBenchmark(settings);
}
