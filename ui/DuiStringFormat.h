// Builder for one GDI+ string format: text controls set it up here and then take the format away,
// so the wrapper can either own the format or merely hand it on.
#pragma once

#include <optional>

#include "ui/GdiPlus.h"

namespace dui {

class DuiStringFormat {
public:
    DuiStringFormat() = default;
    // Deletes the format only when this wrapper owns it; a non-owned format is left to its taker.
    ~DuiStringFormat();
    DuiStringFormat(const DuiStringFormat&) = delete;
    DuiStringFormat& operator=(const DuiStringFormat&) = delete;

    // Deletes the format now (whatever the ownership); handle() is null afterwards.
    void release();
    // Creates a new format (GdipCreateStringFormat). The previous format is deleted when this
    // wrapper owned it and otherwise forgotten. Returns true on success.
    bool create(int flags, LANGID language, bool owned = true);

    // Get/set pairs: with a value the format is changed first; the current value is returned.
    int alignment(std::optional<int> value = std::nullopt);     // StringAlignment 0..2
    int trimming(std::optional<int> value = std::nullopt);      // StringTrimming 0..5
    int hotkeyPrefix(std::optional<int> value = std::nullopt);  // HotkeyPrefix 0..2
    int flags(std::optional<int> value = std::nullopt);         // StringFormatFlags bits

    // The format, not handed over.
    Gdiplus::GpStringFormat* handle() const noexcept { return format_.get(); }
    bool owned() const noexcept { return owned_; }
    // Hands the format to the caller, who then owns it; the wrapper is left empty.
    GpStringFormatPtr take() noexcept;

private:
    GpStringFormatPtr format_;  // owned only while owned_ is set; otherwise forgotten on release
    bool owned_ = false;
};

}  // namespace dui
