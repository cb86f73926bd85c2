#pragma once

#include <map>
#include <string>

#include "core/update/FakeUpdateRunRig.h"
#include "core/update/RigHelpers.h"
#include "window/SettingsWindow.h"

namespace velmora::test {

// A run on fakes with the settings window that triggers and shows it, set up as the
// start-up leaves it.
class WindowRunRig : public FakeUpdateRunRig {
  public:
    // What the start-up does for the window: the installed version shown, the stored
    // settings loaded.
    void startUp() {
        window.showInstalledVersion(installed());
        window.loadSettings();
    }

    std::map<std::string, bool> enabledStates() { return test::enabledStates(window); }

    SettingsWindow window{settings};
};

}  // namespace velmora::test
