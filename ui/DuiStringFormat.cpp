#include "ui/DuiStringFormat.h"

namespace dui {

DuiStringFormat::~DuiStringFormat() {
    if (!owned_) format_.release();
}

void DuiStringFormat::release() {
    format_.reset();
}

bool DuiStringFormat::create(int flags, LANGID language, bool owned) {
    // Only a format this wrapper owned may be deleted; a handed-on one belongs to its taker.
    if (owned_) {
        format_.reset();
    } else {
        format_.release();
    }
    owned_ = owned;
    return gp::GdipCreateStringFormat(flags, language, format_.put()) == Gdiplus::Ok;
}

int DuiStringFormat::alignment(std::optional<int> value) {
    if (value)
        gp::GdipSetStringFormatAlign(handle(), static_cast<Gdiplus::StringAlignment>(*value));
    Gdiplus::StringAlignment current = Gdiplus::StringAlignmentNear;
    gp::GdipGetStringFormatAlign(handle(), &current);
    return current;
}

int DuiStringFormat::trimming(std::optional<int> value) {
    if (value)
        gp::GdipSetStringFormatTrimming(handle(), static_cast<Gdiplus::StringTrimming>(*value));
    Gdiplus::StringTrimming current = Gdiplus::StringTrimmingNone;
    gp::GdipGetStringFormatTrimming(handle(), &current);
    return current;
}

int DuiStringFormat::hotkeyPrefix(std::optional<int> value) {
    if (value) gp::GdipSetStringFormatHotkeyPrefix(handle(), *value);
    INT current = 0;
    gp::GdipGetStringFormatHotkeyPrefix(handle(), &current);
    return current;
}

int DuiStringFormat::flags(std::optional<int> value) {
    if (value) gp::GdipSetStringFormatFlags(handle(), *value);
    INT current = 0;
    gp::GdipGetStringFormatFlags(handle(), &current);
    return current;
}

GpStringFormatPtr DuiStringFormat::take() noexcept {
    owned_ = false;
    return GpStringFormatPtr(format_.release());
}

}  // namespace dui
