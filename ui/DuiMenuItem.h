// One row of a popup menu window: a command, a separator or a submenu entry. It paints itself from
// its copy of the entry, highlights while hot, opens and closes cascaded submenus after hover
// delays and delivers the chosen command.
#pragma once

#include <optional>

#include "ui/DuiControl.h"
#include "ui/DuiMenu.h"

namespace dui {

// Where a row's text goes: centred on the default font's height, and 12 pixels shorter on a
// submenu row to leave room for its arrow.
RectF menuItemTextRect(float width, float height, float fontHeight, bool submenu);

class DuiMenuItem : public DuiControl {
public:
    DuiMenuItem() = default;
    // Destroys the row while it is still a menu row, so its own cleanup runs.
    ~DuiMenuItem() override;

    // Operations added after the 38 of the base, in this order.
    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    ControlHandle create(HWND menuWindow, int x, int y, int w, int h, const MenuItemRecord& record,
                         std::optional<int> visible = {});
    MenuItemRecord item(std::optional<MenuItemRecord> record = {});
    void trackSubmenu(bool immediate);
    void paintItem(ControlHandle handle, int hot);

    int lastHot() const { return lastHot_; }

private:
    void choose();

    // Fields after the base fields, in the documented order.
    MenuItemRecord item_;
    int lastHot_ = 0;
    GpStringFormatPtr stringFormat_;  // owned
};

}  // namespace dui
