// Winsock must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "app/Platform.h"

#include <iphlpapi.h>
#include <icmpapi.h>
#include <shellapi.h>
#include <winhttp.h>

#include <cstdlib>

#include "ui/UniqueHandle.h"

namespace lark {
namespace {

constexpr UINT kGbk = 936;

struct IcmpTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { IcmpCloseHandle(h); }
};
using IcmpHandle = dui::UniqueHandle<IcmpTraits>;

DWORD elapsedSince(DWORD start) {
    return GetTickCount() - start;
}

struct ThreadStart {
    void (*routine)(void*);
    void* argument;
};

DWORD WINAPI runThread(void* raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    start.routine(start.argument);
    return 0;
}

}  // namespace

Bytes httpGet(const std::string& url) {
    const DWORD start = GetTickCount();
    std::wstring wideUrl = gbkToWide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP)
        return {};

    WinHttpHandle session(WinHttpOpen(L"Larkbridge/14", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return {};
    // Every phase is bounded, and the deadline below bounds their sum: the callers block on this.
    WinHttpSetTimeouts(session.get(), 3000, 3000, 3000, 4000);
    WinHttpHandle connection(WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection) return {};
    WinHttpHandle request(WinHttpOpenRequest(connection.get(), L"GET", path[0] ? path : L"/",
                                             nullptr, WINHTTP_NO_REFERER,
                                             WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request) return {};
    // The receive timeout alone does not bound the wait for the response headers everywhere.
    WinHttpSetTimeouts(request.get(), 3000, 3000, 3000, 4000);
    DWORD responseTimeout = 4000;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return {};

    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                             WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return {};

    Bytes body;
    std::uint8_t chunk[16384];
    for (;;) {
        if (elapsedSince(start) > kHttpDeadlineMs) return {};
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), chunk, sizeof chunk, &read)) return {};
        if (read == 0) break;
        if (body.size() + read > kMaxBodyBytes) return {};
        body.insert(body.end(), chunk, chunk + read);
    }
    return body;
}

void writeRegistryValue(HKEY root, const char* keyPath, const char* valueName,
                        const RegistryValue& value) {
    dui::RegKey key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.get(), valueName, 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
}

void writeRegistryText(HKEY root, const char* keyPath, const char* valueName,
                       const std::string& text) {
    RegistryValue value{REG_SZ, Bytes(text.begin(), text.end())};
    value.data.push_back(0);
    writeRegistryValue(root, keyPath, valueName, value);
}

void deleteRegistryValue(HKEY root, const char* keyPath, const char* valueName) {
    dui::RegKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    RegDeleteValueA(key.get(), valueName);
}

std::optional<RegistryValue> readRegistryValue(HKEY root, const char* keyPath,
                                               const char* valueName) {
    dui::RegKey key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExA(key.get(), valueName, nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

std::optional<std::string> registryText(const RegistryValue& value) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return std::nullopt;
    std::string text(value.data.begin(), value.data.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

void waitWithMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = elapsedSince(start);
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void setWindowVisible(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

void setAlwaysOnTop(HWND window, bool onTop) {
    SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void restoreAndCentre(HWND window) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
    RECT bounds;
    RECT work;
    GetWindowRect(window, &bounds);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void startThread(void (*routine)(void*), void* argument) {
    auto* start = new ThreadStart{routine, argument};
    dui::KernelHandle thread(CreateThread(nullptr, 0, runThread, start, 0, nullptr));
    if (!thread) delete start;
}

int ping(const std::string& host, DWORD timeoutMs) {
    IN_ADDR address{};
    if (InetPtonA(AF_INET, host.c_str(), &address) != 1) {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return -1;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        const bool resolved = getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found;
        if (resolved) address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        if (found) freeaddrinfo(found);
        WSACleanup();
        if (!resolved) return -1;
    }
    IcmpHandle icmp(IcmpCreateFile());
    if (!icmp) return -1;
    // Room for one reply, its (empty) payload and an ICMP error message.
    std::uint8_t reply[sizeof(ICMP_ECHO_REPLY) + 8 + 64];
    if (IcmpSendEcho(icmp.get(), address.S_un.S_addr, nullptr, 0, nullptr, reply, sizeof reply,
                     timeoutMs) == 0)
        return -1;
    const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply);
    if (echo->Status != IP_SUCCESS) return -1;
    return static_cast<int>(echo->RoundTripTime);
}

void shellOpen(const std::string& file, const std::string& parameters) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                  nullptr, SW_SHOWNORMAL);
}

void synthesizeClick() {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void seedRandom() {
    std::srand(GetTickCount());
}

int randomNumber() {
    return std::rand() & 0x7FFF;
}

std::wstring gbkToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(kGbk, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(kGbk, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string wideToGbk(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(length, '\0');
    WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length,
                        nullptr, nullptr);
    return narrow;
}

void WinHttpTraits::close(Handle h) noexcept {
    WinHttpCloseHandle(h);
}

}  // namespace lark

namespace lark {

dui::IconHandle iconFromIcoBytes(std::span<const std::uint8_t> ico, int size) {
    // An ICO file: a 6-byte header, 16-byte entries (width, height, ..., size, offset), images.
    auto word = [&](std::size_t at) { return ico[at] | (ico[at + 1] << 8); };
    auto dword = [&](std::size_t at) {
        return static_cast<DWORD>(word(at) | (word(at + 2) << 16));
    };
    if (ico.size() < 6 || word(0) != 0 || word(2) != 1) return {};
    const std::size_t count = word(4);
    if (ico.size() < 6 + 16 * count) return {};
    // The exact size, else the smallest larger one, else the largest.
    std::size_t best = count;
    int bestWidth = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int width = ico[6 + 16 * i] ? ico[6 + 16 * i] : 256;
        const bool better =
            best == count ||
            (bestWidth < size ? width > bestWidth : width >= size && width < bestWidth);
        if (better) {
            best = i;
            bestWidth = width;
        }
    }
    if (best == count) return {};
    const std::size_t entry = 6 + 16 * best;
    const DWORD bytes = dword(entry + 8);
    const DWORD offset = dword(entry + 12);
    if (offset > ico.size() || bytes > ico.size() - offset) return {};
    return dui::IconHandle(CreateIconFromResourceEx(const_cast<PBYTE>(ico.data()) + offset, bytes,
                                                    TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR));
}

}  // namespace lark
