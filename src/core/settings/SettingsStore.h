#pragma once

#include <cstdint>
#include <string>

#include "settings/Reg.h"
#include "update/Flavour.h"

namespace velmora {

// The six user settings, read as 16-bit integers from string values under
// HKEY_CURRENT_USER\Software\Tessaloy\Velmora, each with its default.
class SettingsStore {
  public:
    // `intervalMinimum` is the lower end of the window's interval range and the default of
    // the stored interval.
    SettingsStore(Reg& reg, std::int16_t intervalMinimum);

    std::int16_t flavourSetting();
    std::int16_t autoSetting();
    std::int16_t intervalSetting();
    std::int16_t logSetting();
    std::int16_t removeSetting();
    std::int16_t runSetting();

    // The flavour the stored IUP names.
    Flavour storedFlavour();

    // Whether the stored Log asks for log lines: anything but 0 does, as the program's own
    // true (-1) and a hand-edited 5 mean on. The window's check box and the runs' notice
    // flag both follow this, so the two never disagree.
    bool logIsOn();

    // Shows the report of a settings file that could not be read as a notice too (once),
    // when the caller shows notices.
    void noticeUnreadableSettings(bool showBox);

    // "Software\Tessaloy\" + the application title, built afresh on every call.
    static std::string settingsKeyPath();

  private:
    std::int16_t readSetting(const char* valueName, std::int16_t fallback);

    Reg& reg_;
    std::int16_t intervalMinimum_;
};

}  // namespace velmora
