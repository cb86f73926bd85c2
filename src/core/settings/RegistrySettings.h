#pragma once

#include <string>

#include "ports/Autostart.h"
#include "ports/SettingsRepository.h"
#include "settings/Reg.h"

namespace velmora {

// The start-up entry of the running program: its name (the executable's base name) and the
// command it starts (the executable's full path without its ".exe").
struct StartupEntry {
    std::string name;
    std::string command;
};

// The start-up entry of the executable `exeName` in the folder `appPath`, joined with the
// system's own separator and none added after one already there.
StartupEntry startupEntryFor(const std::string& appPath, const std::string& exeName);

// The settings as string values under HKEY_CURRENT_USER\Software\Tessaloy\Velmora, read and
// written through the registry one value at a time, in the order of kStoredSettings, with
// the session's start-up entry made or removed as the settings say on every save. The
// administrator's `policies`, read as the program started, stand over them; they must
// outlive the settings.
class RegistrySettings final : public SettingsRepository {
  public:
    RegistrySettings(Reg& reg, Autostart& autostart, StartupEntry entry,
                     const Policies& policies = noPolicies());

    LoadedSettings load() override;
    void save(const Settings& settings) override;

  private:
    Reg& reg_;
    Autostart& autostart_;
    StartupEntry entry_;
    const Policies& policies_;
};

}  // namespace velmora
