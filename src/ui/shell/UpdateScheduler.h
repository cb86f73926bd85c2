#pragma once

#include <cstdint>

#include "log/EventLog.h"
#include "ports/SettingsRepository.h"
#include "update/UpdateService.h"
#include "window/SettingsWindow.h"
#include "window/SettingsWindowRunObserver.h"

namespace velmora {

// The two things that start an update run: the window's minute timer, once automatic update
// is on and its interval has run out, and the update-now button. Binds itself to the
// window's timer and button.
class UpdateScheduler {
  public:
    UpdateScheduler(SettingsWindow& window, SettingsRepository& settings, UpdateService& updates,
                    EventLog& log);
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
    void run(bool showBox);

    SettingsWindow& window_;
    SettingsRepository& settings_;
    UpdateService& updates_;
    EventLog& log_;
    SettingsWindowRunObserver windowDuringRun_{window_};
    std::int16_t tickCounter_ = 0;
    bool unreadableStoreShown_ = false;
};

}  // namespace velmora
