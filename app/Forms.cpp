#include "app/Forms.h"

#include <shellapi.h>

#include <algorithm>

#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "app/Platform.h"
#include "ui/UniqueHandle.h"

namespace lark {
namespace {

constexpr char kFormClass[] = "LarkbridgeForm";
// Well away from the small numbers the toolkit gives its controls' timers on the same window.
constexpr UINT_PTR kFormTimerId = 0x4C420001;
constexpr std::size_t kMaxTooltipBytes = 62;
// Tells the window that tasks wait in the queue; the message itself carries nothing, so a message
// forged by another process can only make us look at our own queue.
constexpr UINT kRunTasksMessage = WM_APP + 101;

struct UiTasks {
    std::mutex lock;
    std::deque<std::pair<HWND, std::function<void()>>> queue;
};

UiTasks& uiTasks() {
    static UiTasks tasks;
    return tasks;
}

void runQueuedTasks(HWND window) {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(uiTasks().lock);
            auto& queue = uiTasks().queue;
            auto found = std::find_if(queue.begin(), queue.end(),
                                      [&](const auto& entry) { return entry.first == window; });
            if (found == queue.end()) return;
            task = std::move(found->second);
            queue.erase(found);
        }
        task();
    }
}

struct Form {
    const FormTemplate* form = nullptr;  // not owned
    HWND window = nullptr;               // not owned: destroyed by the window system
    FormState state = FormState::Normal;
    bool applyingState = false;
    void (*tick)() = nullptr;
    dui::MenuHandle menuBar;  // owns the popup below
    HMENU popup = nullptr;    // not owned
    bool trayAdded = false;
    HICON icon = nullptr;  // not owned: the caller keeps the icon alive
    std::string tooltip;
};

std::vector<std::unique_ptr<Form>>& forms() {
    static std::vector<std::unique_ptr<Form>> all;
    return all;
}

Form* findForm(HWND window) {
    for (auto& form : forms())
        if (form->window == window) return form.get();
    return nullptr;
}

UINT taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// Cuts GBK text to at most `limit` bytes without splitting a double-byte character.
std::string cutGbk(const std::string& text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t step =
            IsDBCSLeadByteEx(936, static_cast<BYTE>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return text.substr(0, end);
}

void notifyTray(Form& form, DWORD action) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = form.window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = form.icon;
    const std::wstring tip = gbkToWide(form.tooltip);
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(action, &data);
}

void raiseStateChanged(Form& form) {
    if (form.form->onStateChanged) form.form->onStateChanged();
}

int trayKind(LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP:
            return 1;
        case WM_LBUTTONDBLCLK:
            return 2;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            return 3;
        default:
            return 0;
    }
}

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form = findForm(window);
    if (!form) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            // A state the system applied (taskbar, keyboard) is a state change too.
            if (!form->applyingState &&
                (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED ||
                 (wParam == SIZE_RESTORED &&
                  (form->state == FormState::Minimised || form->state == FormState::Maximised)))) {
                form->state = wParam == SIZE_MINIMIZED   ? FormState::Minimised
                              : wParam == SIZE_MAXIMIZED ? FormState::Maximised
                                                         : FormState::Normal;
                raiseStateChanged(*form);
            }
            break;
        case WM_TIMER:
            if (wParam == kFormTimerId && form->tick) {
                form->tick();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && LOWORD(wParam) >= kMenuCommandBase &&
                LOWORD(wParam) < kMenuCommandBase + form->form->menuItems.size()) {
                const MenuItemTemplate& item =
                    form->form->menuItems[LOWORD(wParam) - kMenuCommandBase];
                if (item.onChosen) item.onChosen();
                return 0;
            }
            break;
        case WM_CLOSE:
            if (form->form->onCloseRequested) form->form->onCloseRequested();
            return 0;
        case kRunTasksMessage:
            runQueuedTasks(window);
            return 0;
        case WM_ENDSESSION:
            if (wParam && form->form->onSessionEnding) form->form->onSessionEnding();
            return 0;
        case WM_DESTROY:
            if (form->trayAdded) notifyTray(*form, NIM_DELETE);
            form->trayAdded = false;
            break;
        default:
            if (message == kTrayCallbackMessage && wParam == kTrayIconId) {
                const int kind = trayKind(lParam);
                if (kind && form->form->onTray) form->form->onTray(kind);
                return 0;
            }
            if (message == taskbarCreatedMessage() && form->trayAdded) {
                notifyTray(*form, NIM_ADD);
                return 0;
            }
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerFormClass() {
    static const bool registered = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = formProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(129));
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kFormClass;
        return RegisterClassExA(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

HWND createForm(const FormTemplate& formTemplate) {
    registerFormClass();
    auto form = std::make_unique<Form>();
    form->form = &formTemplate;
    if (formTemplate.menuTitle) {
        form->menuBar.reset(CreateMenu());
        form->popup = CreatePopupMenu();
        for (std::size_t i = 0; i < formTemplate.menuItems.size(); ++i)
            AppendMenuA(form->popup, MF_STRING, kMenuCommandBase + i,
                        formTemplate.menuItems[i].text);
        AppendMenuA(form->menuBar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(form->popup),
                    formTemplate.menuTitle);
    }
    Form& created = *form;
    forms().push_back(std::move(form));
    // The menu is never attached to the window: the popup is invisible and serves the tray only.
    created.window =
        CreateWindowExA(0, kFormClass, formTemplate.title, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX,
                        kFormLeft, kFormTop, formTemplate.width, formTemplate.height, nullptr,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!created.window) return nullptr;
    if (formTemplate.onCreated) formTemplate.onCreated(created.window);
    if (formTemplate.visible && IsWindow(created.window)) ShowWindow(created.window, SW_SHOW);
    return created.window;
}

void setFormState(HWND window, FormState state) {
    Form* form = findForm(window);
    if (!form || !IsWindowVisible(window)) return;
    form->state = state;
    form->applyingState = true;
    switch (state) {
        case FormState::Normal:
            ShowWindow(window, SW_SHOWNOACTIVATE);
            break;
        case FormState::RestoredCentred:
            restoreAndCentre(window);
            break;
        case FormState::Minimised:
            ShowWindow(window, SW_MINIMIZE);
            break;
        case FormState::Maximised:
            ShowWindow(window, SW_MAXIMIZE);
            break;
    }
    form->applyingState = false;
    raiseStateChanged(*form);
}

FormState formState(HWND window) {
    const Form* form = findForm(window);
    return form ? form->state : FormState::Normal;
}

void setFormTimer(HWND window, UINT intervalMs, void (*tick)()) {
    Form* form = findForm(window);
    if (!form) return;
    form->tick = tick;
    SetTimer(window, kFormTimerId, intervalMs, nullptr);
}

void setMenuItemEnabled(HWND window, int index, bool enabled) {
    const Form* form = findForm(window);
    if (!form || !form->popup) return;
    EnableMenuItem(form->popup, kMenuCommandBase + index,
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool menuItemEnabled(HWND window, int index) {
    const Form* form = findForm(window);
    if (!form || !form->popup) return false;
    const UINT state = GetMenuState(form->popup, kMenuCommandBase + index, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void popUpFormMenu(HWND window) {
    const Form* form = findForm(window);
    if (!form || !form->popup) return;
    POINT pointer;
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(form->popup, TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

void setTrayIcon(HWND window, HICON icon, const std::string& tooltip) {
    Form* form = findForm(window);
    if (!form) return;
    if (!icon) {
        if (form->trayAdded) notifyTray(*form, NIM_DELETE);
        form->trayAdded = false;
        form->icon = nullptr;
        return;
    }
    form->icon = icon;
    form->tooltip = cutGbk(tooltip, kMaxTooltipBytes);
    notifyTray(*form, form->trayAdded ? NIM_MODIFY : NIM_ADD);
    form->trayAdded = true;
}

bool hasTrayIcon(HWND window) {
    const Form* form = findForm(window);
    return form && form->trayAdded;
}

const std::string& trayTooltip(HWND window) {
    static const std::string none;
    const Form* form = findForm(window);
    return form ? form->tooltip : none;
}

void runOnUiThread(HWND window, std::function<void()> task) {
    {
        std::lock_guard<std::mutex> guard(uiTasks().lock);
        uiTasks().queue.emplace_back(window, std::move(task));
    }
    PostMessageA(window, kRunTasksMessage, 0, 0);
}

HICON trayIcon(HWND window) {
    const Form* form = findForm(window);
    return form ? form->icon : nullptr;
}

}  // namespace lark
