#pragma once

#include <string>

#include "linux/DesktopAutostart.h"
#include "linux/PosixRegistryBackend.h"
#include "log/EventLog.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora::test {

// The program's settings in a registry of their own under a temporary folder, the start-up
// entries there too, with the log
// file beside them and every notice recorded. Header-only, for targets that link the
// platform adapters.
struct TempSettings {
    void store(const std::string& name, const std::string& text) {
        reg.writeValue(RootKey::CurrentUser, settingsKeyPath(), name, text);
    }
    std::string stored(const std::string& name) {
        return reg.readValue(RootKey::CurrentUser, settingsKeyPath(), name);
    }
    std::string logText() const { return readFile(dir / "velmora.log"); }

    TempDir dir;
    RecordingNotifier notifier;
    EventLog log{LogDestinations{dir / "velmora.log", dir / "fallback.log"}, notifier,
                 test::fixedTime};
    PosixRegistryBackend backend{dir / "config"};
    Reg reg{backend, log};
    DesktopAutostart autostart{dir / "config" / "autostart"};
    RegistrySettings settings{reg, autostart, startupEntryFor(dir.path().string(), "velmora")};
};

}  // namespace velmora::test
