#pragma once

#include <cstdint>
#include <string>

#include "settings/SettingsStore.h"
#include "update/UpdateService.h"
#include "window/SettingsWindow.h"
#include "window/SettingsWindowRunObserver.h"

namespace velmora {

// The two things that start an update run: the minute timer minuteTimer, once automatic update
// is on and its interval has run out, and the update-now button updateNowButton. Binds itself
// to the window's timer and button.
class UpdateScheduler {
  public:
    UpdateScheduler(SettingsWindow& window, SettingsStore& store, UpdateService& updates);
    UpdateScheduler(const UpdateScheduler&) = delete;
    UpdateScheduler& operator=(const UpdateScheduler&) = delete;

    // One minute has passed. A tick that falls due while a run is in progress (served
    // during the installer wait) starts nothing; the count goes on.
    void onMinuteTick();
    void onUpdateNowClicked();

    std::int16_t tickCounter() const { return tickCounter_; }
    void resetTickCounter() { tickCounter_ = 0; }

  private:
    bool isDue() const;
    bool storedLogFlag();

    SettingsWindow& window_;
    SettingsStore& store_;
    UpdateService& updates_;
    SettingsWindowRunObserver windowDuringRun_{window_};
    std::int16_t tickCounter_ = 0;
};

}  // namespace velmora
