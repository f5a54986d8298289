#include "ui/DuiMenu.h"

#include <algorithm>
#include <memory>

#include "ui/DuiDraw.h"
#include "ui/DuiMenuItem.h"
#include "ui/DuiTextSupport.h"

namespace dui {

namespace {

constexpr int kMinimumWidth = 50;
constexpr int kRowHeight = 22;
constexpr int kSeparatorHeight = 3;
constexpr int kOpenDurationMs = 100;
// Style bits a menu window must not keep after attach: the system menu and class-specific bits.
constexpr DWORD kClearedStyle = 0x000804B0;

struct MenuPlace {
    int x, y, width, height;
};

// Height and, for width 0, the automatic width of the visible entries, whose texts are measured
// with the screen DC's default font.
void measureEntries(const std::vector<MenuItemRecord>& items, int& width, int& height) {
    const bool automatic = width == 0;
    bool hasSubmenu = false;
    height = 0;
    ScreenDc screen;
    for (const MenuItemRecord& item : items) {
        if (item.state == MenuItemHidden) continue;
        if (item.type == MenuItemSeparator) {
            height += kSeparatorHeight;
            continue;
        }
        height += kRowHeight;
        if (!automatic) continue;
        SIZE extent{};
        GetTextExtentPoint32W(screen.get(), item.text.c_str(), static_cast<int>(item.text.size()),
                              &extent);
        width = std::max(width, static_cast<int>(extent.cx) + 50);
        if (item.type == MenuItemSubmenu) hasSubmenu = true;
    }
    if (hasSubmenu) width += 15;
    height += 16;
}

// Beside the parent's hot row, turned to the left or upwards where it would cross the work area's
// plain edges; false when the parent has no hot row.
bool placeSubmenu(HWND parent, int width, int height, const WorkArea& area, MenuPlace& place,
                  bool& openedLeft) {
    DuiHost* parentHost = hostOfWindow(parent);
    DuiControl* row = parentHost ? controlFromHandle(parentHost->focusedControl) : nullptr;
    if (!row) return false;
    RECT frame{};
    GetWindowRect(parent, &frame);
    const RectF& bounds = row->currentBounds();
    const int rowY = static_cast<int>(bounds.Y);
    const int rowHeight = static_cast<int>(bounds.Height);
    place = {frame.right - 10, frame.top + rowY - 7, width, height};
    openedLeft = place.x + width - 5 > area.left + area.width;
    if (openedLeft) place.x = frame.left - width + 10;
    if (place.y + height > area.top + area.height)
        place.y = frame.top + rowY + rowHeight - height + 7;
    return true;
}

void runMenu(HWND ownerWindow, int x, int y, int width, const std::vector<MenuItemRecord>& items,
             bool topLevel, const MenuPopupHandler& popupHandler,
             const PaintHandler& backgroundPainter) {
    if (width > 0 && width < kMinimumWidth) width = kMinimumWidth;
    const WorkArea area = workArea();
    int height = 0;
    measureEntries(items, width, height);

    MenuPlace place{x, y, width, height};
    bool openedLeft = false;
    if (topLevel) {
        // At the cursor, turned by the work area's plain edges; given coordinates stay as they are.
        if (x == 0 && y == 0) {
            POINT cursor{};
            GetCursorPos(&cursor);
            place.x = cursor.x;
            place.y = cursor.y;
            if (cursor.x + width - 5 > area.left + area.width) place.x = cursor.x - width;
            if (cursor.y + height > area.top + area.height) place.y = cursor.y - height + 5;
        }
    } else if (!placeSubmenu(ownerWindow, width, height, area, place, openedLeft)) {
        return;
    }

    HWND window =
        createToolkitWindow(ownerWindow, "Va_DozuzuDO_Menu", place.x, place.y, place.width,
                            place.height, nullptr, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    if (!window) return;
    SetPropW(window, kWindowKindProperty, reinterpret_cast<HANDLE>(PopupMenuWindow));
    if (topLevel) {
        SetPropW(window, kMenuRootProperty, window);
        if (DuiHost* owner = hostOfWindow(ownerWindow)) {
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(ownerWindow, &cursor);
            ControlHandle event = owner->hitTest(owner->lastControl, cursor.x, cursor.y);
            SetPropW(window, kMenuEventProperty,
                     reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(event)));
            SendMessageW(ownerWindow, FocusGained, 0, static_cast<LPARAM>(event));
        }
    } else {
        SetPropW(window, kMenuRootProperty, GetPropW(ownerWindow, kMenuRootProperty));
        SetPropW(ownerWindow, kMenuSubProperty, window);
    }

    // Fresh for every showing: the host and the rows live exactly as long as this window.
    auto host = std::make_unique<DuiHost>();
    const MenuAnimations animations = submenuAnimations(openedLeft);
    if (!topLevel) host->setCloseAnimation(animations.close);
    host->setPaintHandler(backgroundPainter ? backgroundPainter
                                            : PaintHandler(paintMenuBackground));
    AttachOptions options;
    options.backColor = RGB(255, 255, 255);
    options.captionFlags = 0;
    options.windowAlpha = 240;
    options.frameStyle = 1;
    options.resizable = 0;
    options.draggable = 0;
    if (!host->attach(window, options)) {
        DestroyWindow(window);
        return;
    }
    host->setMessageHook(popupMessageHook);
    SetWindowLongW(
        window, GWL_STYLE,
        static_cast<LONG>(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~kClearedStyle));

    std::vector<std::unique_ptr<DuiMenuItem>> rows;
    int rowY = 8;
    for (const MenuItemRecord& item : items) {
        if (item.state == MenuItemHidden) continue;
        auto row = std::make_unique<DuiMenuItem>();
        if (item.type == MenuItemSeparator) {
            row->create(window, 33, rowY, width - 40, kSeparatorHeight, item);
            rowY += kSeparatorHeight;
        } else {
            row->create(window, 8, rowY, width - 16, kRowHeight, item);
            rowY += kRowHeight;
        }
        if (item.state == MenuItemDisabled) row->disabled(1);
        rows.push_back(std::move(row));
    }

    // A copy: the handler may replace itself on its menu.
    if (MenuPopupHandler handler = popupHandler) handler(window, topLevel ? 1 : 0);
    if (IsWindow(window)) {
        if (topLevel)
            host->show(AnimationNone);
        else
            host->show(animations.open, kOpenDurationMs);
        SetForegroundWindow(window);
    }

    MSG msg;
    while (IsWindow(window)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The loops outside must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // A quit can end the loop while the window lives: it goes now, before its rows and host.
    if (IsWindow(window)) DestroyWindow(window);
}

}  // namespace

MenuAnimations submenuAnimations(bool openedLeft) {
    if (openedLeft) return {AnimationWipeRightToLeft, AnimationWipeLeftToRight};
    return {AnimationWipeLeftToRight, AnimationWipeRightToLeft};
}

void paintMenuBackground(HWND, Gdiplus::GpGraphics* graphics, int width, int height) {
    gp::GdipGraphicsClear(graphics, 0x00FFFFFF);
    RectF panel(6, 6, static_cast<float>(width - 12), static_cast<float>(height - 12));
    fillRoundRect(graphics, panel, 4, argbColor(RGB(255, 255, 255), 234));
    const struct {
        float corner;
        int alpha;
    } shadow[] = {{4, 125}, {7, 35}, {10, 15}, {13, 5}};
    for (const auto& ring : shadow) {
        drawRoundRect(graphics, panel, ring.corner, argbColor(RGB(0, 0, 0), ring.alpha),
                      Gdiplus::DashStyleSolid, 1);
        offsetRect(panel, -1, -1, 2, 2);
    }
    GpPathPtr strip = roundRectPath(RectF(8, 8, 24, static_cast<float>(height - 16)), 3);
    const ArgbColor stripColor = argbColor(RGB(209, 227, 236), 254);
    GpBrushPtr brush = createSolidBrush(stripColor);
    gp::GdipFillPath(graphics, brush.get(), strip.get());
    GpPenPtr pen = createPen(stripColor);
    gp::GdipDrawPath(graphics, pen.get(), strip.get());
}

DuiMenu::~DuiMenu() {
    clear();
    width = 0;
    popupHandler = nullptr;
    backgroundPainter = nullptr;
}

void DuiMenu::popupSubmenu(HWND parentMenuWindow) {
    runMenu(parentMenuWindow, 0, 0, 0, items, false, popupHandler, backgroundPainter);
}

void DuiMenu::popup(HWND ownerWindow, int x, int y) {
    runMenu(ownerWindow, x, y, width, items, true, popupHandler, backgroundPainter);
}

int DuiMenu::addItem(const std::string& text, std::span<const std::uint8_t> icon, int state,
                     int type, int notifyByCommand, MenuCommand command, ArgbColor textColor,
                     int textEffect, ArgbColor effectColor, ArgbColor hotColor) {
    MenuItemRecord item;
    item.text = ansiToWide(text);
    item.icon.assign(icon.begin(), icon.end());
    item.state = state;
    item.type = type;
    item.notifyByCommand = notifyByCommand;
    item.command = std::move(command);
    item.textColor = textColor;
    item.textEffect = textEffect;
    item.effectColor = effectColor;
    item.hotColor = hotColor;
    items.push_back(std::move(item));
    return static_cast<int>(items.size());
}

MenuItemRecord* DuiMenu::at(int index) {
    return isValidIndex(index) ? &items[static_cast<std::size_t>(index - 1)] : nullptr;
}

int DuiMenu::isValidIndex(int index) const {
    return index >= 1 && index <= static_cast<int>(items.size()) ? 1 : 0;
}

int DuiMenu::removeItem(int index) {
    if (!isValidIndex(index)) return 0;
    items.erase(items.begin() + (index - 1));
    return 1;
}

void DuiMenu::clear() {
    items.clear();
}

int DuiMenu::itemState(int index, std::optional<int> value) {
    MenuItemRecord* item = at(index);
    if (!item) return 0;
    if (value) item->state = *value;
    return item->state;
}

std::string DuiMenu::itemText(int index, std::optional<std::string> text) {
    MenuItemRecord* item = at(index);
    if (!item) return {};
    if (text) item->text = ansiToWide(*text);
    return wideToAnsi(item->text);
}

std::wstring DuiMenu::itemWideText(int index, std::optional<std::wstring> text) {
    MenuItemRecord* item = at(index);
    if (!item) return {};
    if (text) item->text = std::move(*text);
    return item->text;
}

std::vector<std::uint8_t> DuiMenu::itemIcon(int index,
                                            std::optional<std::span<const std::uint8_t>> bytes) {
    MenuItemRecord* item = at(index);
    if (!item) return {};
    if (bytes) item->icon.assign(bytes->begin(), bytes->end());
    return item->icon;
}

}  // namespace dui
