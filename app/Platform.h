// The Windows services the application relies on, each a plain function with the behaviour its
// callers count on; nothing here reports an error, failures give empty or neutral results.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lark {

using Bytes = std::vector<std::uint8_t>;

// Blocking HTTP GET of a plain-HTTP URL. Gives the body, or empty bytes on any failure, on a
// status other than 200, when the answer takes more than about 5 s or the body exceeds 8 MiB.
Bytes httpGet(const std::string& url);
inline constexpr std::size_t kMaxBodyBytes = 8 * 1024 * 1024;
inline constexpr DWORD kHttpDeadlineMs = 5000;

// A registry value as stored: its type and raw data.
struct RegistryValue {
    DWORD type = REG_NONE;
    Bytes data;
    bool operator==(const RegistryValue&) const = default;
};

// Opens (or creates) the key for writing and stores text as REG_SZ with its terminating zero.
void writeRegistryText(HKEY root, const char* keyPath, const char* valueName,
                       const std::string& text);
// Stores a value with its original type and data (used to put back what we replaced).
void writeRegistryValue(HKEY root, const char* keyPath, const char* valueName,
                        const RegistryValue& value);
// Removes the value if present.
void deleteRegistryValue(HKEY root, const char* keyPath, const char* valueName);
std::optional<RegistryValue> readRegistryValue(HKEY root, const char* keyPath,
                                               const char* valueName);
// The text of a REG_SZ or REG_EXPAND_SZ value without its terminating zero(s).
std::optional<std::string> registryText(const RegistryValue& value);

// Returns after `milliseconds` (tick count), dispatching window messages meanwhile. A WM_QUIT
// seen during the wait is put back for the outer loop.
void waitWithMessages(DWORD milliseconds);

// Window properties of the form layer: shown or hidden, always on top.
void setWindowVisible(HWND window, bool visible);
void setAlwaysOnTop(HWND window, bool onTop);
// Restores the window and centres it on the primary screen's work area without activating it
// or changing its place in the z-order.
void restoreAndCentre(HWND window);

// Runs routine(argument) on a new thread whose handle is closed at once.
void startThread(void (*routine)(void*), void* argument);

// ICMP echo without payload; round-trip time in ms, or -1 on failure or time-out.
int ping(const std::string& host, DWORD timeoutMs);

// ShellExecuteA with verb "open", no working directory, SW_SHOWNORMAL; result ignored.
void shellOpen(const std::string& file, const std::string& parameters);

// A left button press and release at the pointer.
void synthesizeClick();

// Pseudo-random integers from 0 to 32767, seeded from the tick count.
void seedRandom();
int randomNumber();

// GBK (code page 936) to UTF-16 and back; the program's 8-bit text is in that code page.
std::wstring gbkToWide(const std::string& text);
std::string wideToGbk(const std::wstring& text);

}  // namespace lark

#include <span>

#include "ui/UniqueHandle.h"

namespace lark {
// A WinHTTP session, connection or request.
struct WinHttpTraits {
    using Handle = void*;  // HINTERNET
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept;
};
using WinHttpHandle = dui::UniqueHandle<WinHttpTraits>;

// An icon of the given size from the bytes of an ICO file (the best-fitting entry).
dui::IconHandle iconFromIcoBytes(std::span<const std::uint8_t> ico, int size);
}  // namespace lark
