// Helpers shared by the controls that draw text: conversions between the program's 8-bit texts
// (system ANSI code page, 936 on the target systems) and UTF-16, and the font arguments of their
// create operations.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/DuiControl.h"
#include "ui/GdiPlus.h"

namespace dui {

std::wstring ansiToWide(std::string_view text);
std::string wideToAnsi(std::wstring_view text);

// Font of a create call: empty (the shared default font) when no argument is given, otherwise
// name (default: the default font's family), size in pixels (default 12) and style (default 0).
GpFontPtr fontForArguments(const std::optional<std::string>& name, std::optional<float> size,
                           std::optional<int> style);
// A new font like current with any given family, size or style in place of its own.
GpFontPtr fontLike(Gdiplus::GpFont* current, const std::optional<std::string>& name,
                   std::optional<float> size, std::optional<int> style);
// Size (12 for no font) and style bits of a font.
float fontSizeOf(Gdiplus::GpFont* font);
int fontStyleOf(Gdiplus::GpFont* font);

// The setter shape of text controls: a given value is stored and the control repainted; the
// current value is returned.
template <class T>
T storeAndRepaint(DuiControl& control, T& field, const std::optional<T>& value) {
    if (value) {
        field = *value;
        control.repaint();
    }
    return field;
}

}  // namespace dui
