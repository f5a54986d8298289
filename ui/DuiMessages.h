// The toolkit's message codes, class codes and flag sets, shared by the host, the controls and the
// application, so every side names the same numbers the same way.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>

namespace dui {

// Identity of a live control: an id from the registry of live controls, never a pointer. Zero
// means no control. Ids are even, so handle + 1 (the transition timer) never names a control.
using ControlHandle = std::uint32_t;

// Private window messages. Those marked "host" travel to the host window, the rest to a control's
// handleMessage through dispatchMessage.
enum DuiMessage : UINT {
    FocusGained = 0x2800,  // control: lParam = previous focus; host: lParam = control to focus
    FocusLost = 0x2801,    // b = control that gets the focus
    MouseEnter = 0x2802,
    MouseLeave = 0x2803,  // b = control now under the mouse
    Click = 0x2804,
    Resized = 0x2805,  // a = width, b = height
    Hidden = 0x2806,
    Shown = 0x2807,
    TransitionFrame = 0x2808,       // b = TransitionFrameRecord*; >= 1: the control drew it
    QueryPressable = 0x280A,        // -1: decide by focusable
    RegisterMnemonic = 0x280B,      // host: wParam control, lParam key
    PresentWindow = 0x280D,         // host: push the whole composed frame
    QueryOwnDisabledLook = 0x280E,  // -1: the compositor halves the opacity
    RedrawArea = 0x2810,            // host: wParam mode (| RedrawOfControl), lParam area
    Moved = 0x2811,                 // host: wParam control, lParam 1 = redraw now
    DeliverEvent = 0x2812,          // host: wParam control, lParam EventBlock*
    QueryFocused = 0x2814,          // 1 yes, 0 no, -1 ask the host
    OpacityChanged = 0x2815,        // b = new opacity
    Refresh = 0x2816,
    TransitionStarted = 0x2817,
    TransitionFinished = 0x2818,
};

// Added to the mode of a RedrawArea whose lParam is a ControlHandle (the control's bounds at the
// time the message is handled) rather than a RectF*; a posted request cannot carry a pointer
// safely.
inline constexpr WPARAM RedrawOfControl = 0x100;

// wParam of the WM_LBUTTONDOWN that stands for a double click.
inline constexpr WPARAM DoubleClickMarker = 10086;

// Class code of a control.
enum ControlKind : int {
    CaptionButton = 1,
    TextControl = 2,
    Label = 3,
    Image = 4,
    Button = 6,
    MenuItem = 20,
    GlowButton = 23,
};

// Bits of a host's caption decorations.
enum CaptionFlags : int {
    CaptionIcon = 1,
    CaptionTitle = 2,
    CaptionClose = 4,
    CaptionMaximize = 8,
    CaptionMinimize = 16,
    CaptionExtra32 = 32,
    CaptionExtra64 = 64,
    CaptionExtra128 = 128,
    CaptionExtra256 = 256,
    CaptionShadow = 512,
    CaptionFromStyle = 1024,
};

// Opening and closing animations of toolkit windows.
enum WindowAnimation : int {
    AnimationNone = 0,
    AnimationFade = 1,
    AnimationPop = 2,
    AnimationWipeLeftToRight = 3,
    AnimationWipeRightToLeft = 4,
    AnimationWipeTopToBottom = 5,
    AnimationWipeBottomToTop = 6,
    AnimationZoom = 7,
};

// Value of the "Ex_Wnd_Flags" property of toolkit popups.
enum WindowKind : int { PopupMenuWindow = 1, MessageBoxWindow = 3 };

// Transition kinds of a control's repaint.
enum TransitionKind : int {
    CrossFade = 0,
    SlideDown = 1,
    SlideUp = 2,
    SlideRight = 3,
    SlideLeft = 4,
};

// Window properties that tie toolkit windows together.
inline constexpr const wchar_t* kHostProperty = L"Ex_Wnd_Control";
inline constexpr const wchar_t* kWindowKindProperty = L"Ex_Wnd_Flags";
inline constexpr const wchar_t* kMessageBoxIconProperty = L"Va_DozuzuDO_MsgBox";
inline constexpr const wchar_t* kMenuRootProperty = L"Va_DozuzuDO_Host";
inline constexpr const wchar_t* kMenuSubProperty = L"Va_DozuzuDO_Sub";
inline constexpr const wchar_t* kMenuActiveProperty = L"Va_DozuzuDO_Act";
inline constexpr const wchar_t* kMenuEventProperty = L"Va_DozuzuDO_Event";

}  // namespace dui
