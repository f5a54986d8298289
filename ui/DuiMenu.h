// A popup menu: its entries live in a plain object, and each showing builds a frameless layered
// top-most toolkit window of menu rows that runs its own message loop until it closes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/DuiHost.h"
#include "ui/DuiTypes.h"

namespace dui {

class DuiMenu;

enum MenuItemState : int {
    MenuItemNormal = 0,
    MenuItemDisabled = -1,
    MenuItemChecked = 4,  // the built-in check mark in the icon cell
    MenuItemHidden = 5,   // no row, no room
};

enum MenuItemType : int { MenuItemCommand = 0, MenuItemSeparator = 1, MenuItemSubmenu = 2 };

// What choosing an entry does: sends id as WM_COMMAND, calls handler, or (submenu entries)
// shows submenu.
struct MenuCommand {
    MenuCommand() = default;
    MenuCommand(UINT commandId) : id(commandId) {}
    MenuCommand(std::function<void()> call) : handler(std::move(call)) {}
    MenuCommand(DuiMenu* child) : submenu(child) {}
    UINT id = 0;
    std::function<void()> handler;
    DuiMenu* submenu = nullptr;  // not owned; must outlive every showing of its parent
};

inline constexpr ArgbColor kMenuTextColor = 0xD2000000;
inline constexpr ArgbColor kMenuHotColor = 0xE63086C6;

// One entry (the kind code MenuItem names the row control); rows get a copy of it.
struct MenuItemRecord {
    std::wstring text;               // "&" marks the mnemonic letter
    std::vector<std::uint8_t> icon;  // encoded image for the 20 x 20 icon cell; empty: none
    int state = MenuItemNormal;      // MenuItemState; other values draw as normal
    int type = MenuItemCommand;      // MenuItemType
    int notifyByCommand = 0;         // 1: WM_COMMAND to the owner; 0: command.handler
    MenuCommand command;
    ArgbColor textColor = kMenuTextColor;
    int textEffect = 0;  // TextEffect of drawText
    ArgbColor effectColor = 0;
    ArgbColor hotColor = kMenuHotColor;
};

// Called after a menu window and its rows are built (isTopLevel 0 for submenus).
using MenuPopupHandler = std::function<void(HWND menuWindow, int isTopLevel)>;

// Opening and closing animations of a submenu, mirrored when it opens to the left of its parent.
struct MenuAnimations {
    int open;
    int close;
};
MenuAnimations submenuAnimations(bool openedLeft);

// The menu window's own background: a soft white rounded panel, its shadow and the icon strip.
void paintMenuBackground(HWND window, Gdiplus::GpGraphics* graphics, int width, int height);

class DuiMenu {
public:
    DuiMenu() = default;
    DuiMenu(const DuiMenu&) = delete;
    DuiMenu& operator=(const DuiMenu&) = delete;
    ~DuiMenu();

    // Shows this menu as the cascade of the hot row of parentMenuWindow (automatic width).
    void popupSubmenu(HWND parentMenuWindow);
    // Shows this menu at screen (x, y), or at the cursor when both are 0; returns when it closes.
    void popup(HWND ownerWindow, int x = 0, int y = 0);
    // text is ANSI; returns the new entry's index.
    int addItem(const std::string& text, std::span<const std::uint8_t> icon = {},
                int state = MenuItemNormal, int type = MenuItemCommand, int notifyByCommand = 0,
                MenuCommand command = {}, ArgbColor textColor = kMenuTextColor, int textEffect = 0,
                ArgbColor effectColor = 0, ArgbColor hotColor = kMenuHotColor);
    // Indexes are 1-based; invalid ones give 0 or empty values.
    int removeItem(int index);
    void clear();
    int itemState(int index, std::optional<int> value = {});
    std::string itemText(int index, std::optional<std::string> text = {});
    std::wstring itemWideText(int index, std::optional<std::wstring> text = {});
    std::vector<std::uint8_t> itemIcon(int index,
                                       std::optional<std::span<const std::uint8_t>> bytes = {});
    int isValidIndex(int index) const;
    void setWidth(int value) { width = value; }
    DuiMenu* object() { return this; }
    void setPopupHandler(MenuPopupHandler handler) { popupHandler = std::move(handler); }
    void setBackgroundPainter(PaintHandler painter) { backgroundPainter = std::move(painter); }

    // Fields, in the documented order.
    std::vector<MenuItemRecord> items;
    int width = 0;  // 0: from the texts; 1 to 49 count as 50
    MenuPopupHandler popupHandler;
    PaintHandler backgroundPainter;

private:
    MenuItemRecord* at(int index);
};

}  // namespace dui
