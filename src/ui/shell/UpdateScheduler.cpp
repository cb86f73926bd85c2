#include "shell/UpdateScheduler.h"

#include <limits>
#include <optional>

#include "settings/NumericText.h"
#include "update/SettingsForRun.h"

namespace velmora {

UpdateScheduler::UpdateScheduler(SettingsWindow& window, SettingsRepository& settings,
                                 UpdateService& updates, EventLog& log)
    : window_(window), settings_(settings), updates_(updates), log_(log) {
    window_.minuteTimer.onTimer = [this] { onMinuteTick(); };
    window_.updateNowButton.onClick = [this] { onUpdateNowClicked(); };
}

void UpdateScheduler::onMinuteTick() {
    if (!window_.pendingSettings().autoUpdate) {
        tickCounter_ = 0;
        return;
    }
    if (tickCounter_ < std::numeric_limits<std::int16_t>::max()) {
        ++tickCounter_;
    }
    if (!isDue() || updates_.inProgress()) {
        return;
    }
    run(false);
    tickCounter_ = 0;
}

void UpdateScheduler::onUpdateNowClicked() {
    run(true);
}

// A store that could not be read is shown once, by the first run that shows its notices,
// before them: every setting the run goes by is then a default.
void UpdateScheduler::run(bool showBox) {
    const LoadedSettings applied = settings_.load();
    if (showBox && !applied.unreadableStore.empty() && !unreadableStoreShown_) {
        unreadableStoreShown_ = true;
        log_.report(applied.unreadableStore, showBox, false);
    }
    updates_.run(runRequestFor(applied.settings, window_.pendingSettings(), applied.policies,
                               window_.installedVersionLabel.tag(), showBox),
                 windowDuringRun_);
}

// The interval text is read as it stands, applied or not; a text that is not a number (the
// user is still typing) is not due.
bool UpdateScheduler::isDue() const {
    const std::optional<double> hours = parseNumericText(window_.intervalBox.text());
    return hours.has_value() && !(*hours * 60.0 > static_cast<double>(tickCounter_));
}

}  // namespace velmora
