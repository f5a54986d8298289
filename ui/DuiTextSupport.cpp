#include "ui/DuiTextSupport.h"

#include "ui/DuiToolkit.h"

namespace dui {

std::wstring ansiToWide(std::string_view text) {
    const int length = static_cast<int>(text.size());
    if (length == 0) return {};
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), units);
    return wide;
}

std::string wideToAnsi(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    if (length == 0) return {};
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

GpFontPtr fontForArguments(const std::optional<std::string>& name, std::optional<float> size,
                           std::optional<int> style) {
    if (!name && !size && !style) return GpFontPtr();
    const std::string family = name.value_or(fontFamilyName(toolkit().defaultFont.get()));
    return createFontOrDefault(family.c_str(), size.value_or(12.0f), style.value_or(0));
}

GpFontPtr fontLike(Gdiplus::GpFont* current, const std::optional<std::string>& name,
                   std::optional<float> size, std::optional<int> style) {
    const std::string family = name.value_or(fontFamilyName(current));
    return createFontOrDefault(family.c_str(), size.value_or(fontSizeOf(current)),
                               style.value_or(fontStyleOf(current)));
}

float fontSizeOf(Gdiplus::GpFont* font) {
    float size = 12.0f;
    if (font) gp::GdipGetFontSize(font, &size);
    return size;
}

int fontStyleOf(Gdiplus::GpFont* font) {
    INT style = 0;
    if (font) gp::GdipGetFontStyle(font, &style);
    return style;
}

}  // namespace dui
