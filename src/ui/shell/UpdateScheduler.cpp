#include "shell/UpdateScheduler.h"

#include <limits>
#include <optional>

#include "settings/NumericText.h"

namespace velmora {

UpdateScheduler::UpdateScheduler(SettingsWindow& window, SettingsStore& store,
                                 UpdateService& updates)
    : window_(window), store_(store), updates_(updates) {
    window_.minuteTimer.onTimer = [this] { onMinuteTick(); };
    window_.updateNowButton.onClick = [this] { onUpdateNowClicked(); };
}

void UpdateScheduler::onMinuteTick() {
    if (window_.autoUpdateCheckBox.value() != 1) {
        tickCounter_ = 0;
        return;
    }
    if (tickCounter_ < std::numeric_limits<std::int16_t>::max()) {
        ++tickCounter_;
    }
    if (!isDue() || updates_.inProgress()) {
        return;
    }
    const bool showBox = false;
    updates_.run(window_.runRequest(showBox, storedLogFlag()), windowDuringRun_);
    tickCounter_ = 0;
}

void UpdateScheduler::onUpdateNowClicked() {
    const bool showBox = true;
    const bool writeToLog = storedLogFlag();
    store_.noticeUnreadableSettings(showBox);
    updates_.run(window_.runRequest(showBox, writeToLog), windowDuringRun_);
}

// The interval text is read as it stands, applied or not; a text that is not a number (the
// user is still typing) is not due.
bool UpdateScheduler::isDue() const {
    const std::optional<double> hours = parseNumericText(window_.intervalBox.text());
    return hours.has_value() && !(*hours * 60.0 > static_cast<double>(tickCounter_));
}

bool UpdateScheduler::storedLogFlag() {
    return store_.logIsOn();
}

}  // namespace velmora
