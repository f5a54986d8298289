#include "ui/DuiMenuItem.h"

#include "resources/Embedded.h"
#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiStringFormat.h"
#include "ui/DuiToolkit.h"

namespace dui {

namespace {

constexpr UINT kHoverDelayMs = 500;
constexpr UINT kRecheckDelayMs = 300;
constexpr ArgbColor kHotTextColor = 0xF0FFFFFF;

// Alpha of colour scaled by factor (truncated), colour kept.
ArgbColor scaleAlpha(ArgbColor colour, float factor) {
    auto alpha = static_cast<std::uint32_t>(static_cast<float>(colour >> 24) * factor);
    return (alpha << 24) | (colour & 0x00FFFFFF);
}

// The row of the menu window's host under the screen cursor, or 0.
ControlHandle rowUnderCursor(DuiHost* host) {
    POINT point{};
    if (!host || !GetCursorPos(&point) || !ScreenToClient(host->window, &point)) return 0;
    return host->hitTest(host->lastControl, point.x, point.y);
}

HWND windowProperty(HWND window, const wchar_t* name) {
    return static_cast<HWND>(GetPropW(window, name));
}

}  // namespace

RectF menuItemTextRect(float width, float height, float fontHeight, bool submenu) {
    float off = static_cast<float>(static_cast<int>((height - fontHeight) / 2 + 1));
    float arrowRoom = submenu ? 12.0f : 0.0f;
    return RectF(30, off, width - 30 - arrowRoom, height - off);
}

DuiMenuItem::~DuiMenuItem() {
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

ControlHandle DuiMenuItem::create(HWND menuWindow, int x, int y, int w, int h,
                                  const MenuItemRecord& record, std::optional<int> visible) {
    item_ = record;
    DuiStringFormat format;
    if (format.create(4096, 0, false)) {
        format.alignment(0);
        format.trimming(3);
        format.hotkeyPrefix(1);
        stringFormat_ = format.take();
    }
    return DuiControl::create(menuWindow,
                              RectF(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(w), static_cast<float>(h)),
                              ControlKind::MenuItem, visible.value_or(1), 1, std::nullopt, 0);
}

MenuItemRecord DuiMenuItem::item(std::optional<MenuItemRecord> record) {
    if (record) item_ = std::move(*record);
    return item_;
}

void DuiMenuItem::paintItem(ControlHandle, int hot) {
    PaintContext paint;
    if (!beginPaint(*this, paint, std::nullopt, 1)) return;
    Gdiplus::GpGraphics* g = paint.graphics;
    const float w = paint.area.Width;
    const float h = paint.area.Height;
    if (item_.type == MenuItemSeparator) {
        drawLine(g, argbColor(RGB(183, 195, 204), 254), 0, 1, w - 3, 1, 1);
        endPaint(*this, paint);
        lastHot_ = hot;
        return;
    }
    // The row of an open submenu holds the focus and keeps its highlight.
    if (item_.type == MenuItemSubmenu && isFocused()) hot = 1;
    ArgbColor textColor = hot ? kHotTextColor : item_.textColor;
    if (hot) {
        GpBrushPtr brush = createSolidBrush(item_.hotColor);
        gp::GdipFillRectangle(g, brush.get(), 0, 0, w - 1, h - 1);
        drawFrame(g, paint.area, scaleAlpha(item_.hotColor, 0.82f));
    }

    Gdiplus::GpFont* font = toolkit().defaultFont.get();
    float fontHeight = 0;
    if (font) gp::GdipGetFontHeight(font, g, &fontHeight);
    RectF textRect = menuItemTextRect(w, h, fontHeight, item_.type == MenuItemSubmenu);
    drawText(g, textRect, item_.text.c_str(), font, textColor, stringFormat_.get(),
             item_.textEffect, item_.effectColor);

    if (item_.type == MenuItemSubmenu) {
        ArgbColor arrow = hot ? 0xE6FFFFFF : 0x78000000;
        Gdiplus::PointF corners[] = {
            {w - 8, h / 2 - 4.5f}, {w - 5, h / 2 - 1}, {w - 8, h / 2 + 2.5f}};
        GpPathPtr path = createPath();
        gp::GdipAddPathPolygon(path.get(), corners, 3);
        GpBrushPtr brush = createSolidBrush(arrow);
        gp::GdipFillPath(g, brush.get(), path.get());
        GpPenPtr pen = createPen(scaleAlpha(arrow, 0.8f));
        gp::GdipDrawPath(g, pen.get(), path.get());
    }

    std::span<const std::uint8_t> icon =
        item_.state == MenuItemChecked ? res::menu_check_png : std::span(item_.icon);
    if (!icon.empty()) {
        RectF cell(2, 1, 20, 20);
        setClipRect(g, cell, Gdiplus::CombineModeReplace);
        if (GpImagePtr image = loadImageFromBytes(icon, false))
            drawImageNatural(g, image.get(), cell, true);
        resetClip(g);
    }
    endPaint(*this, paint);
    lastHot_ = hot;
}

void DuiMenuItem::trackSubmenu(bool immediate) {
    HWND menu = hostWindow_;
    DuiHost* host = hostOfWindow(menu);
    if (!host) return;
    HWND sub = windowProperty(menu, kMenuSubProperty);
    auto active =
        static_cast<ControlHandle>(reinterpret_cast<UINT_PTR>(GetPropW(menu, kMenuActiveProperty)));
    if (sub && IsWindow(sub)) {
        POINT cursor{};
        GetCursorPos(&cursor);
        HWND under = WindowFromPoint(cursor);
        if (under == sub || (under && GetAncestor(under, GA_ROOT) == sub)) {
            // Back in the open submenu: its row takes the highlight again.
            host->focusedControl = active;
            dispatchMessage(active, MouseLeave, 0, 0);
            return;
        }
        if (rowUnderCursor(host) == active) return;
        SetForegroundWindow(GetWindow(sub, GW_OWNER));
        RemovePropW(menu, kMenuSubProperty);
        PostMessageW(sub, WM_CLOSE, 0, 0);
        if (immediate)
            trackSubmenu(false);
        else
            SetTimer(menu, handle_, kRecheckDelayMs, nullptr);
        return;
    }
    if (host->hoveredControl != handle_ || item_.type != MenuItemSubmenu) return;
    host->focusedControl = handle_;
    paintItem(handle_, 0);
    SetPropW(menu, kMenuActiveProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle_)));
    if (DuiMenu* child = item_.command.submenu) child->popupSubmenu(menu);
    // The submenu has closed; this row and its window may be gone by now.
}

void DuiMenuItem::choose() {
    HWND menu = hostWindow_;
    // A menu hidden by a choice is closing: keys already queued must not choose again.
    if (!IsWindowVisible(menu)) return;
    HWND root = windowProperty(menu, kMenuRootProperty);
    // Everything needed afterwards is copied first: closing the menu releases this row.
    const MenuItemRecord chosen = item_;
    auto event = reinterpret_cast<LPARAM>(root ? GetPropW(root, kMenuEventProperty) : nullptr);
    HWND owner = root ? GetWindow(root, GW_OWNER) : nullptr;
    ShowWindow(menu, SW_HIDE);
    if (owner) SetForegroundWindow(owner);
    if (root) PostMessageW(root, WM_CLOSE, 0, 0);
    if (chosen.notifyByCommand) {
        if (owner) SendMessageW(owner, WM_COMMAND, chosen.command.id, event);
    } else if (chosen.command.handler) {
        chosen.command.handler();
    }
}

int DuiMenuItem::handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    switch (code) {
        case WM_CREATE: {
            std::size_t amp = item_.text.find(L'&');
            int key = amp == std::wstring::npos || amp + 1 >= item_.text.size()
                          ? 0
                          : static_cast<int>(item_.text[amp + 1]);
            if (key) SendMessageW(hostWindow_, RegisterMnemonic, handle, key);
            paintItem(handle, 0);
            return -1;
        }
        case WM_DESTROY:
            item_ = MenuItemRecord{};
            stringFormat_.reset();
            return -1;
        case WM_PAINT:
            paintItem(handle, lastHot_);
            return -1;
        case WM_TIMER:
            if (a != handle) return -1;
            KillTimer(hostWindow_, handle);
            trackSubmenu(false);
            return -1;
        case MouseEnter:
            if (DuiHost* host = hostOfWindow(hostWindow_); host && host->focusedControl) {
                ControlHandle old = host->focusedControl;
                host->focusedControl = 0;
                dispatchMessage(old, MouseLeave, 0, 0);
            }
            paintItem(handle, 1);
            SetTimer(hostWindow_, handle, kHoverDelayMs, nullptr);
            return -1;
        case MouseLeave:
            paintItem(handle, 0);
            return -1;
        case Click:
            if (item_.type == MenuItemSubmenu) {
                if (DuiHost* host = hostOfWindow(hostWindow_)) host->hoveredControl = handle;
                trackSubmenu(true);
            } else if (item_.type == MenuItemCommand) {
                choose();
            }
            return -1;
        default:
            return DuiControl::handleMessage(handle, code, a, b);
    }
}

}  // namespace dui
