#pragma once

#include <string>

#include "log/EventLog.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/fakes/FakeAutostart.h"
#include "support/fakes/FakeRegistryBackend.h"

namespace velmora::test {

// The program's settings in an in-memory registry and start-up entries, with the log file in a
// temporary folder and every notice recorded.
struct FakeSettings {
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
    FakeRegistryBackend backend;
    Reg reg{backend, log};
    FakeAutostart autostart;
    RegistrySettings settings{reg, autostart, startupEntryFor(dir.path().string(), "velmora")};
};

}  // namespace velmora::test
