#pragma once

#include <cstdint>
#include <string>

#include "settings/Reg.h"

namespace velmora {

// The six user settings, read as 16-bit integers from string values under
// HKEY_CURRENT_USER\Software\Tessaloy\Velmora, each with its default.
class SettingsStore {
  public:
    // `intervalMinimum` is the lower end of the window's interval range and the default of
    // the stored interval.
    SettingsStore(Reg& reg, std::int16_t intervalMinimum);

    std::int16_t GetIUPSetting();
    std::int16_t GetAutoSetting();
    std::int16_t GetIntervalSetting();
    std::int16_t GetLogSetting();
    std::int16_t GetRemoveSetting();
    std::int16_t GetRunSetting();

    // "Software\Tessaloy\" + the application title, built afresh on every call.
    static std::string SettingsKeyPath();

  private:
    std::int16_t readSetting(const char* valueName, std::int16_t fallback);

    Reg& reg_;
    std::int16_t intervalMinimum_;
};

}  // namespace velmora
