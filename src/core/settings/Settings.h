#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/Flavour.h"

namespace velmora {

// The user's settings as plain data, each within what the window can show.
struct Settings {
    static constexpr int kIntervalMinimumHours = 1;
    static constexpr int kIntervalMaximumHours = 99;

    Flavour flavour = Flavour::I32;
    bool autoUpdate = false;
    int intervalHours = kIntervalMinimumHours;
    bool log = false;
    bool keepPackages = false;      // downloaded packages stay on disk
    bool startWithSession = false;  // the user's choice, kept beside the start-up entry

    friend bool operator==(const Settings&, const Settings&) = default;
};

// One setting as it is stored: a string value holding a decimal integer.
enum class SettingKey { Flavour, AutoUpdate, IntervalHours, Log, KeepPackages, StartWithSession };

struct StoredSetting {
    SettingKey key;
    std::string_view name;  // the value's name under the settings key
    int fallback;           // what stands in when the value is missing or no number
    int minimum;            // stored numbers outside the range read as the nearest end
    int maximum;
    bool administrable;  // an administrator's policy of the same name may set it
};

// Every setting with its stored name, its default, its range and whether a policy may set
// it: the one place that names them. "Remove" keeps its historical name although it means
// keeping packages. Starting with the session is each user's own choice.
inline constexpr std::array<StoredSetting, 6> kStoredSettings{{
    {SettingKey::Flavour, "IUP", 0, 0, 1, true},
    {SettingKey::AutoUpdate, "Auto", 0, 0, 1, true},
    {SettingKey::IntervalHours, "Interval", Settings::kIntervalMinimumHours,
     Settings::kIntervalMinimumHours, Settings::kIntervalMaximumHours, true},
    {SettingKey::Log, "Log", 0, 0, 1, true},
    {SettingKey::KeepPackages, "Remove", 0, 0, 1, true},
    {SettingKey::StartWithSession, "Run", 0, 0, 1, false},
}};

// The stored form of one setting.
const StoredSetting& storedSetting(SettingKey key);

// "Software\Tessaloy\" + the application title: the key the settings live under.
std::string settingsKeyPath();

// Sets one setting from its stored text. A numeric text is rounded to the nearest 16-bit
// integer (halves to even); anything else, and a number beyond 16 bits, reads as the
// default. Stored numbers the window cannot show read as the nearest sound value: a
// flavour other than 1 is i32, an interval is brought into 1 to 99, a check box other than
// 1 is clear, and logging is on for every number but 0 (the program's own true is -1).
// Returns false when the text was no usable number (the default was taken).
bool readStoredSetting(Settings& settings, SettingKey key, const std::string& text);

// The text a setting is stored as: "0" or "1", the flavour's index, the interval's hours.
std::string storedText(const Settings& settings, SettingKey key);

}  // namespace velmora
