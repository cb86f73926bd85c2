#include "settings/Settings.h"

#include <algorithm>

#include "settings/AppTitle.h"
#include "settings/NumericText.h"

namespace velmora {

const StoredSetting& storedSetting(SettingKey key) {
    return *std::find_if(kStoredSettings.begin(), kStoredSettings.end(),
                         [key](const StoredSetting& entry) { return entry.key == key; });
}

std::string settingsKeyPath() {
    return std::string("Software") + "\\" + "Tessaloy" + "\\" + kAppTitle;
}

bool readStoredSetting(Settings& settings, SettingKey key, const std::string& text) {
    const StoredSetting& entry = storedSetting(key);
    const std::optional<double> number = parseNumericText(text);
    const std::optional<std::int16_t> rounded = number ? roundToInt16(*number) : std::nullopt;
    const int value = rounded.value_or(entry.fallback);
    switch (key) {
        case SettingKey::Flavour:
            settings.flavour = flavourFromStoredIndex(value);
            break;
        case SettingKey::AutoUpdate:
            settings.autoUpdate = value == 1;
            break;
        case SettingKey::IntervalHours:
            settings.intervalHours = std::clamp(value, entry.minimum, entry.maximum);
            break;
        case SettingKey::Log:
            settings.log = value != 0;
            break;
        case SettingKey::KeepPackages:
            settings.keepPackages = value == 1;
            break;
        case SettingKey::StartWithSession:
            settings.startWithSession = value == 1;
            break;
    }
    return rounded.has_value();
}

std::string storedText(const Settings& settings, SettingKey key) {
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    switch (key) {
        case SettingKey::Flavour:
            return settings.flavour == Flavour::X86 ? "1" : "0";
        case SettingKey::AutoUpdate:
            return flag(settings.autoUpdate);
        case SettingKey::IntervalHours:
            return std::to_string(settings.intervalHours);
        case SettingKey::Log:
            return flag(settings.log);
        case SettingKey::KeepPackages:
            return flag(settings.keepPackages);
        case SettingKey::StartWithSession:
            return flag(settings.startWithSession);
    }
    return {};
}

}  // namespace velmora
