#include "tests/support/Registry.h"

#include "app/Service.h"

namespace larktest {

std::optional<lark::RegistryValue> autoConfigValue() {
    return lark::readRegistryValue(HKEY_CURRENT_USER, lark::kInternetSettingsKey,
                                   lark::kAutoConfigValue);
}

void setAutoConfigValue(const std::optional<lark::RegistryValue>& value) {
    if (value)
        lark::writeRegistryValue(HKEY_CURRENT_USER, lark::kInternetSettingsKey,
                                 lark::kAutoConfigValue, *value);
    else
        lark::deleteRegistryValue(HKEY_CURRENT_USER, lark::kInternetSettingsKey,
                                  lark::kAutoConfigValue);
}

lark::RegistryValue textValue(const std::string& text, DWORD type) {
    lark::RegistryValue value{type, lark::Bytes(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
}

}  // namespace larktest
