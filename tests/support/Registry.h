// Reads and plants the per-user AutoConfigURL value the way a user or another program would.
#pragma once

#include <optional>

#include "app/Platform.h"

namespace larktest {

std::optional<lark::RegistryValue> autoConfigValue();
void setAutoConfigValue(const std::optional<lark::RegistryValue>& value);
lark::RegistryValue textValue(const std::string& text, DWORD type = REG_SZ);

}  // namespace larktest
