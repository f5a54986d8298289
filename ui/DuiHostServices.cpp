// Small services around hosts: toolkit popup windows, the modal loop, the popup message hook and
// the work area.
#include "ui/DuiHost.h"
#include "ui/DuiTextSupport.h"
#include "ui/DuiToolkit.h"

#include <string>

namespace dui {

HWND createToolkitWindow(HWND owner, const char* title, int x, int y, int width, int height,
                         const wchar_t* className, std::optional<DWORD> style, DWORD exStyle) {
    std::wstring wideTitle = ansiToWide(title ? title : "");
    HWND window = CreateWindowExW(exStyle, className ? className : kToolkitWindowClass,
                                  wideTitle.c_str(), style.value_or(0x820B0000), x, y, width,
                                  height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    auto small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    if (!small) small = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    auto big = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    if (!big) big = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    return window;
}

void runModalLoop(HWND window) {
    MSG msg;
    while (IsWindow(window)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Put the quit back for the loop outside, which would otherwise never end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        bool input = (msg.message >= 255 && msg.message <= 263) ||
                     (msg.message >= 512 && msg.message <= 525);
        if (got > 0 && input && msg.hwnd != window) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int popupMessageHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto kind = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, kWindowKindProperty)));
    switch (message) {
        case WM_ACTIVATE:
            if (wParam == WA_INACTIVE && kind == PopupMenuWindow) {
                auto activated = reinterpret_cast<HWND>(lParam);
                auto root = static_cast<HWND>(GetPropW(window, kMenuRootProperty));
                if (root && !(activated && GetPropW(activated, kMenuRootProperty)))
                    PostMessageW(root, WM_CLOSE, 0, 0);
            }
            break;
        case WM_KEYDOWN:
            if (kind == PopupMenuWindow) SendMessageW(window, WM_SYSCHAR, wParam, lParam);
            if (wParam == VK_ESCAPE) PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        case WM_DESTROY:
            if (kind == PopupMenuWindow) {
                RemovePropW(window, kMenuRootProperty);
                RemovePropW(window, kMenuSubProperty);
                RemovePropW(window, kMenuActiveProperty);
                RemovePropW(window, kMenuEventProperty);
            } else if (kind == MessageBoxWindow) {
                RemovePropW(window, kMessageBoxIconProperty);
            }
            RemovePropW(window, kWindowKindProperty);
            break;
        default:
            break;
    }
    return -1;
}

WorkArea workArea() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return {0, 0, 0, 0};
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

}  // namespace dui
