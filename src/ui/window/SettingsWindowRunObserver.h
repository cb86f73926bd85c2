#pragma once

#include <string>

#include "update/UpdateService.h"
#include "window/SettingsWindow.h"

namespace velmora {

// The settings window during an update run: its setting controls are locked while the run
// works and unlocked, in the order the window expects, when it ends, with the Apply button
// back in its state before the run; the version labels show what the run found.
class SettingsWindowRunObserver final : public RunObserver {
  public:
    explicit SettingsWindowRunObserver(SettingsWindow& window) : window_(window) {}

    void runStarting(Flavour flavour) override;
    void newestPackageFound(const std::string& packageName) override;
    // An interrupted run leaves the window as it is: the window is going away.
    void runEnded(const RunResult& result) override;

  private:
    SettingsWindow& window_;
    bool applyWasEnabled_ = false;
};

}  // namespace velmora
