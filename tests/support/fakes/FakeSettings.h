#pragma once

#include <string>

#include "log/EventLog.h"
#include "settings/PolicyReader.h"
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
    // Sets a policy value as an administrator would, and reads the policies again, as the
    // program's next start would.
    void administer(const std::string& name, const RegistryValue& value) {
        policyStore.setValue(RootKey::LocalMachine, policyKeyPath(), name, value);
        policies = readPolicies(policyStore, log);
    }
    void administer(const std::string& name, const std::string& text) {
        administer(name, {kRegSz, text + '\0'});
    }

    TempDir dir;
    RecordingNotifier notifier;
    EventLog log{LogDestinations{dir / "velmora.log", dir / "fallback.log"}, notifier,
                 test::fixedTime};
    FakeRegistryBackend backend;
    Reg reg{backend, log};
    FakeAutostart autostart;
    FakeRegistryBackend policyStore;
    Policies policies;
    RegistrySettings settings{reg, autostart, startupEntryFor(dir.path().string(), "velmora"),
                              policies};
};

}  // namespace velmora::test
