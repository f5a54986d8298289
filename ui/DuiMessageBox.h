// The toolkit's modal message box: a small toolkit window with a text, an optional icon and one to
// three buttons, in the owner's look or the toolkit's default one, that returns the answer chosen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/DuiMessages.h"
#include "ui/GdiPlus.h"

namespace dui {

// Button sets; the first caption of a set is the rightmost button.
enum MessageBoxButtons : int {
    ButtonsOk = 0,
    ButtonsCancelOk = 1,
    ButtonsIgnoreRetryAbort = 2,
    ButtonsCancelNoYes = 3,
    ButtonsNoYes = 4,
    ButtonsCancelRetry = 5,
};

enum MessageBoxResult : int {
    ResultOk = 0,
    ResultCancel = 1,
    ResultAbort = 2,
    ResultRetry = 3,
    ResultIgnore = 4,
    ResultYes = 5,
    ResultNo = 6,
};

// Doubles as the MessageBeep type.
enum MessageBoxIcon : int {
    IconNone = 0,
    IconStop = 16,
    IconQuestion = 32,
    IconExclamation = 48,
    IconInformation = 64,
    IconUser = 128,
};

// Optional arguments of messageBox; an empty optional is an argument not given. The eight look
// settings from backgroundImage to nineGridMargins are used only with customLook.
struct MessageBoxOptions {
    std::optional<int> buttons;          // MessageBoxButtons, default 0
    std::optional<std::string> caption;  // ANSI, default "提示："
    std::optional<int> icon;             // MessageBoxIcon, default none
    std::function<void(HWND window, int width, int height)> onBuilt;  // before it is shown
    std::optional<int> beep;           // default 1: beep with the icon's sound
    std::optional<int> centerOnOwner;  // default 0: centre on the work area
    std::optional<int> captionFlags;   // default 6: title and close button
    std::optional<std::vector<std::string>> buttonCaptions;  // ANSI; replace the set's captions
    std::optional<int> defaultButton;                        // 1-based, default 1
    std::optional<int> customLook;
    std::span<const std::uint8_t> backgroundImage;
    std::optional<COLORREF> themeColor;
    std::optional<int> windowAlpha;
    std::optional<int> backgroundMode;
    std::optional<int> frameStyle;
    std::optional<int> fadeImageEdges;
    std::optional<int> blurBehind;
    RECT nineGridMargins{};
    std::optional<int> openAnimation;   // WindowAnimation, default none
    std::optional<int> closeAnimation;  // WindowAnimation, set only when given
    std::optional<int> glowButtons;     // 1: DuiGlowButton buttons
};

// Shows the box modally (its own message loop) and returns the MessageBoxResult of the button
// that closed it, or ResultCancel when it was closed otherwise or could not be created. owner may
// be null; text is ANSI and may hold line breaks.
int messageBox(HWND owner, const std::string& text, const MessageBoxOptions& options = {});

// The three routines the box installs on its host.
void paintMessageBoxBackground(HWND window, Gdiplus::GpGraphics* graphics, int width, int height);
void layoutMessageBoxButtons(HWND window, int width, int height);
void messageBoxButtonClicked(HWND window, ControlHandle control, WPARAM wParam, LPARAM lParam,
                             int kind);

}  // namespace dui
