// Turns one top-level window into a toolkit surface: subclasses it, owns its off-screen frame, the
// roots of its control tree, caption decorations, tooltip and redraw queue, and re-composes and
// presents what its controls report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/DuiControl.h"
#include "ui/DuiMessages.h"
#include "ui/DuiRedrawQueue.h"
#include "ui/DuiSurface.h"
#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace dui {

using PaintHandler =
    std::function<void(HWND window, Gdiplus::GpGraphics* graphics, int width, int height)>;
// Any result other than -1 is returned from the window procedure at once.
using MessageHook = std::function<int(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
using ControlEventHook =
    std::function<void(HWND window, ControlHandle control, WPARAM wParam, LPARAM lParam, int kind)>;
using ResizeHandler = std::function<void(HWND window, int width, int height)>;

// Settings of attach; an empty optional is a setting not given.
struct AttachOptions {
    std::span<const std::uint8_t> backgroundBytes;
    std::optional<COLORREF> backColor;  // default: the mean colour of the background picture
    std::optional<int> captionFlags;    // default: derived from the window style
    std::optional<int> windowAlpha;     // default -1: not layered
    std::optional<int> backgroundMode;  // 0 natural size, 1 stretched, 2 centred
    std::optional<int> frameStyle;      // 0 square, 1 frameless, other rounded (default 7)
    std::optional<int> resizable;       // default: the style has WS_THICKFRAME
    std::optional<int> draggable;       // default 1
    std::optional<int> fadeImageEdges;  // default 1
    std::optional<int> blurBehind;      // default: on Windows 6.x
    RECT nineGridMargins{};             // all zero: no nine-grid
    std::optional<HWND> skinSourceWindow;
};

// The caption's icon, title and buttons are separate control classes that plug in here; without
// hooks a host has no caption controls (the layout still runs over whatever exists).
struct CaptionHooks {
    std::function<std::unique_ptr<DuiControl>(HWND window, HICON icon)> createIcon;
    std::function<std::unique_ptr<DuiControl>(HWND window, const std::string& text)> createTitle;
    // kind is the caption bit (4 close, 8 maximize, 16 minimize, ...); x, width the first place.
    std::function<std::unique_ptr<DuiControl>(HWND window, int kind, int x, int width)>
        createButton;
    std::function<void(DuiControl& title, const std::string& text)> setTitleText;
};
void setCaptionHooks(CaptionHooks hooks);

// The single tooltip tool of a host.
struct ToolRecord {
    RECT rect{};
    std::string text;
};

struct Mnemonic {
    ControlHandle control;
    int key;
};

class DuiHost {
public:
    DuiHost();
    DuiHost(const DuiHost&) = delete;
    DuiHost& operator=(const DuiHost&) = delete;
    ~DuiHost();  // detaches from a window that still exists

    // Fields, in the documented order (surfaces grouped in their owners).
    HWND window = nullptr;
    ControlHandle self = 0;  // id of the host; the fade timer's id
    WNDPROC previousWndProc = nullptr;
    ControlHandle focusedControl = 0;
    ControlHandle hoveredControl = 0;
    ControlHandle pressedControl = 0;
    int mouseCaptured = 0;
    int busy = 0;
    std::unique_ptr<ScreenDc> windowDC;  // GetDC of the window, for the host's life
    Surface compose;                     // the composed frame, with composeGraphics
    Surface background;                  // the frame before controls were drawn
    HWND skinSourceWindow = nullptr;
    GpImagePtr backgroundImage;                 // owned unless borrowedImage is set
    Gdiplus::GpImage* borrowedImage = nullptr;  // the skin source's picture, not owned
    COLORREF themeColor = 0;
    ControlHandle firstControl = 0;
    ControlHandle lastControl = 0;
    int captionFlags = 0;
    WindowHandle tooltipWindow;
    int frameStyle_ = 7;
    int windowAlpha = -1;
    int backgroundMode = 0;
    int shadowColor = -1;
    int resizable = 0;
    int draggable_ = 1;
    int fadeImageEdges = 1;
    int closeAnimation = 0;
    SIZE size{};
    GpRegionPtr clipRegion;
    ControlHandle focusCueControl = 0;
    int blurBehind = 0;
    HCURSOR cursor = nullptr;  // shared, not owned
    RECT nineGridMargins{};
    Surface fade;  // exists only while a fade-in runs on a layered window
    int fadeAlpha = 0;
    int trackingMouseLeave = 0;
    std::vector<Mnemonic> mnemonics;
    std::vector<std::unique_ptr<DuiControl>> captionButtons;
    std::unique_ptr<DuiControl> iconImage;
    std::unique_ptr<DuiControl> titleLabel;
    DuiRedrawQueue redrawQueue;
    ToolRecord toolInfo;
    PaintHandler paintHandler;
    MessageHook messageHook;
    ControlEventHook mouseDownHandler, mouseUpHandler, clickHandler, doubleClickHandler,
        rightDownHandler, rightUpHandler, mouseEnterHandler, mouseLeaveHandler, focusHandler,
        blurHandler;
    ResizeHandler resizeHandler;
    // Areas whose redraw was asked while busy; re-composed when the host stops being busy.
    std::vector<RectF> deferredAreas;
    // While redraws are held they only widen heldArea, and repaints only note their control;
    // the last release paints each noted control once, then composes heldArea once.
    int redrawsHeld = 0;
    std::optional<RectF> heldArea;
    std::vector<ControlHandle> heldPaints;

    // Operations.
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void invalidateRect(const RectF& rect, int mode);
    void updateTooltip(ControlHandle control, std::optional<std::string> text);
    void fadeTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
    void detach(HWND window);
    void onSize(HWND window, WPARAM sizeKind, LPARAM lParam);
    bool attach(HWND window, const AttachOptions& options = {});
    int draggable(std::optional<int> value = {});
    int frameStyle(std::optional<int> value = {});
    // presentMode 0 presents at once, 1 fades in, other values leave the frame unpresented.
    void render(std::span<const std::uint8_t> imageBytes, bool loadImage, int color,
                bool colorGiven, int presentMode, bool noRefresh);
    void layoutCaption();
    void setShadowColor(int color) { shadowColor = color; }
    void setFocus(ControlHandle control, bool showCue);
    void present(std::optional<RectF> rect = {});
    // Shows the window, after an opening WindowAnimation when one is given.
    void show(int animation = 0, int durationMs = 200);
    void setCloseAnimation(int animation) { closeAnimation = animation; }
    void setCursor(ULONG_PTR value, bool isHandle);
    PaintHandler setPaintHandler(PaintHandler h) { return paintHandler = std::move(h); }
    MessageHook setMessageHook(MessageHook h) { return messageHook = std::move(h); }
    ResizeHandler setResizeHandler(ResizeHandler h) { return resizeHandler = std::move(h); }
    ControlEventHook setMouseDownHandler(ControlEventHook h) { return mouseDownHandler = h; }
    ControlEventHook setMouseUpHandler(ControlEventHook h) { return mouseUpHandler = h; }
    ControlEventHook setClickHandler(ControlEventHook h) { return clickHandler = h; }
    ControlEventHook setDoubleClickHandler(ControlEventHook h) { return doubleClickHandler = h; }
    ControlEventHook setRightDownHandler(ControlEventHook h) { return rightDownHandler = h; }
    ControlEventHook setRightUpHandler(ControlEventHook h) { return rightUpHandler = h; }
    ControlEventHook setMouseLeaveHandler(ControlEventHook h) { return mouseLeaveHandler = h; }
    ControlEventHook setMouseEnterHandler(ControlEventHook h) { return mouseEnterHandler = h; }
    ControlEventHook setFocusHandler(ControlEventHook h) { return focusHandler = h; }
    ControlEventHook setBlurHandler(ControlEventHook h) { return blurHandler = h; }

    // Convenience views of the surfaces under their documented names.
    HDC composeDC() const { return compose.dc(); }
    Gdiplus::GpGraphics* composeGraphics() const { return compose.graphics(); }
    HDC backgroundDC() const { return background.dc(); }
    HDC windowHdc() const { return windowDC ? windowDC->get() : nullptr; }
    // The background picture in use: borrowed from the skin source or owned.
    Gdiplus::GpImage* currentBackgroundImage() const {
        return borrowedImage ? borrowedImage : backgroundImage.get();
    }
    bool isLayered() const { return windowAlpha != -1; }
    // Sets busy; when it drops to 0 the areas deferred meanwhile are redrawn.
    void setBusy(int value);
    // Building a window control by control would paint each control several times and compose
    // and present the window once per change: between hold and the matching release, repaints
    // and redraws are only collected, and the release paints each control and composes and
    // presents everything they covered once. Holds nest.
    void holdRedraws();
    void releaseRedraws();
    // Called by the compositor instead of composing while redraws are held.
    void collectHeldArea(const RectF& area);
    // Called by a control's repaint while redraws are held.
    void collectHeldPaint(ControlHandle control);

    // Input. handleInput acts on the input messages of the window procedure and is true when the
    // message is answered there (answer holds the result) rather than passed on.
    bool handleInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer);
    void onMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // True when the point lies in the resizing border band and the border took the message.
    bool handleResizeBorder(UINT message, LPARAM lParam);
    void onKeyDown(UINT message, WPARAM wParam, LPARAM lParam);
    // True when a mnemonic took the character.
    bool onSysChar(UINT message, WPARAM wParam, LPARAM lParam);
    // key 0 removes the control's mnemonic; always 1.
    int setMnemonic(ControlHandle control, int key);
    // The control under a point (client coordinates), searching from start backwards through its
    // siblings and into the topmost child first; hidden and disabled controls let it fall through.
    ControlHandle hitTest(ControlHandle start, int x, int y) const;
    static void focusWindow(HWND window);

private:
    void buildCaption();
    void createTooltip();
    void drawControlTree(ControlHandle first, Gdiplus::GpGraphics* graphics, bool refresh);
    LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
    void fillMinMaxInfo(MINMAXINFO& info) const;
    // Mouse entering control (0 too) from previous: the control, the handler and the tooltip.
    void enterControl(ControlHandle control, ControlHandle previous, WPARAM wParam, LPARAM lParam);
    void toggleMaximize();
    void startWindowDrag();
};

// The host attached to window, or null.
DuiHost* hostOfWindow(HWND window);
// The shared window procedure of attached windows: finds the host through the window property.
LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A hidden toolkit window (class "Va_DozuzuDO" unless given) with the class icons; 0 on failure.
// title is in the ANSI code page.
HWND createToolkitWindow(HWND owner, const char* title, int x, int y, int width, int height,
                         const wchar_t* className = nullptr, std::optional<DWORD> style = {},
                         DWORD exStyle = 0);
// Runs the thread's messages until window is gone or WM_QUIT arrives, dropping keyboard and
// client-area mouse messages meant for other windows.
void runModalLoop(HWND window);
// Installed as messageHook by the popup menu and the message box; never consumes (-1).
int popupMessageHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
struct WorkArea {
    int left, top, width, height;
};
// The work area as origin and size (all zero on failure).
WorkArea workArea();

// Rendering helpers of the host frame.
COLORREF meanColor(Gdiplus::GpImage* image);
void fadeEdges(Gdiplus::GpGraphics* graphics, const RectF& rect, COLORREF color, bool top,
               bool left, bool bottom, bool right, int length = 100, int offset = 6);
void drawShadow(Gdiplus::GpGraphics* graphics, RectF rect, int frameStyle, int color);
void applyBlur(HWND window, int left, int top, int right, int bottom, int corner, int frameStyle,
               int alpha);
void setWindowShape(HWND window, int width, int height, int frameStyle);

// Holds a host's redraws for the life of a scope, e.g. while a window's controls are created.
class RedrawBatch {
public:
    explicit RedrawBatch(DuiHost& host) : host_(host) { host_.holdRedraws(); }
    ~RedrawBatch() { host_.releaseRedraws(); }
    RedrawBatch(const RedrawBatch&) = delete;
    RedrawBatch& operator=(const RedrawBatch&) = delete;

private:
    DuiHost& host_;  // not owned
};

}  // namespace dui
