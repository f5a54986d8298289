// What the three windows share: the host settings, the font, colours and the image skins.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "ui/DuiButton.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiLabel.h"

namespace lark {

inline constexpr char kFontName[] = "微软雅黑";
inline constexpr COLORREF kPanelColor = 0x252321;
inline constexpr COLORREF kInnerPanelColor = 0x161616;

using ImageBytes = std::span<const std::uint8_t>;

// Frameless, draggable, blurred host on the dark background picture, without caption controls.
void attachWindowHost(dui::DuiHost& host, HWND window);

// A filled panel: no text, one solid gradient colour.
void createPanel(dui::DuiLabel& panel, HWND window, int x, int y, int width, int height,
                 COLORREF color);

// A text line in the window font; size and style when given.
void createTextLabel(dui::DuiLabel& label, HWND window, int x, int y, int width, int height,
                     const std::string& text, COLORREF color, int alpha,
                     std::optional<float> size = {}, std::optional<int> style = {},
                     int multiLine = 0);

// Runs handler on the control's left-button press.
void bindPress(dui::DuiControl& control, void (*handler)());

// A skinned button: normal picture, and the lit one for hover, pressed and disabled.
void setButtonSkin(dui::DuiButton& button, ImageBytes normal, ImageBytes lit);

// A glyph button of the window's top right corner (minimise or close).
void createGlyphButton(dui::DuiButton& button, HWND window, int x, ImageBytes normal,
                       ImageBytes lit);

}  // namespace lark
