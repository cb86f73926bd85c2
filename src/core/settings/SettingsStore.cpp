#include "settings/SettingsStore.h"

#include "settings/AppTitle.h"
#include "settings/NumericText.h"

namespace velmora {

namespace {

constexpr std::int16_t kUnsetFlag = 0;

}  // namespace

SettingsStore::SettingsStore(Reg& reg, std::int16_t intervalMinimum)
    : reg_(reg), intervalMinimum_(intervalMinimum) {}

std::string SettingsStore::settingsKeyPath() {
    return std::string("Software") + "\\" + "Tessaloy" + "\\" + kAppTitle;
}

// A numeric text is rounded to the nearest 16-bit integer (halves to even) and returned
// whatever its range, so the window sees an IUP of 5 or an Interval of 500 as stored. A
// numeric text beyond the 16-bit range (70000) cannot be held at all and reads as the
// default, like any text that is not a number.
std::int16_t SettingsStore::readSetting(const char* valueName, std::int16_t fallback) {
    const std::string text = reg_.readValue(RootKey::CurrentUser, settingsKeyPath(), valueName);
    const auto number = parseNumericText(text);
    if (!number) {
        return fallback;
    }
    return roundToInt16(*number).value_or(fallback);
}

std::int16_t SettingsStore::flavourSetting() {
    return readSetting("IUP", kUnsetFlag);
}

std::int16_t SettingsStore::autoSetting() {
    return readSetting("Auto", kUnsetFlag);
}

std::int16_t SettingsStore::intervalSetting() {
    return readSetting("Interval", intervalMinimum_);
}

std::int16_t SettingsStore::logSetting() {
    return readSetting("Log", kUnsetFlag);
}

std::int16_t SettingsStore::removeSetting() {
    return readSetting("Remove", kUnsetFlag);
}

std::int16_t SettingsStore::runSetting() {
    return readSetting("Run", kUnsetFlag);
}

Flavour SettingsStore::storedFlavour() {
    return flavourFromStoredIndex(flavourSetting());
}

bool SettingsStore::logIsOn() {
    return logSetting() != 0;
}

void SettingsStore::noticeUnreadableSettings(bool showBox) {
    reg_.noticeUnreadableStore(showBox);
}

}  // namespace velmora
