#include "window/SettingsWindowRunObserver.h"

#include <cstddef>
#include <initializer_list>

namespace velmora {

void SettingsWindowRunObserver::runStarting(Flavour flavour) {
    window_.setLockedByRun(true);
    window_.updateNowButton.setEnabled(false);
    window_.okButton.setEnabled(false);
    window_.cancelButton.setEnabled(false);
    applyWasEnabled_ = window_.applyButton.enabled();
    window_.applyButton.setEnabled(false);
    // An option selected but not applied stays enabled, unless it is the run's flavour.
    for (std::size_t i = 0; i < window_.flavourOptions.count(); ++i) {
        if (!window_.flavourOptions[i].value()) {
            window_.flavourOptions[i].setEnabled(false);
        }
    }
    window_.flavourOptions[flavourOption(flavour)].setEnabled(false);
    for (Control* control : std::initializer_list<Control*>{
             &window_.autoUpdateCheckBox, &window_.intervalBox, &window_.intervalScrollBar,
             &window_.startWithSessionCheckBox, &window_.logCheckBox,
             &window_.keepPackagesCheckBox}) {
        control->setEnabled(false);
    }
}

void SettingsWindowRunObserver::newestPackageFound(const std::string& packageName) {
    window_.showLatestPackage(packageName);
}

void SettingsWindowRunObserver::runEnded(const RunResult& result) {
    if (result.outcome == UpdateOutcome::Interrupted) {
        return;
    }
    if (result.outcome == UpdateOutcome::Updated) {
        window_.showInstalledVersion(result.installedVersion);
    }
    window_.setLockedByRun(false);
    // A control whose setting a policy sets stays disabled.
    const auto unlock = [this](Control& control, SettingKey key) {
        control.setEnabled(!window_.setByPolicy(key));
    };
    unlock(window_.keepPackagesCheckBox, SettingKey::KeepPackages);
    unlock(window_.logCheckBox, SettingKey::Log);
    unlock(window_.autoUpdateCheckBox, SettingKey::AutoUpdate);
    window_.applyAutoUpdateState();
    window_.startWithSessionCheckBox.setEnabled(true);
    for (std::size_t i = 0; i < window_.flavourOptions.count(); ++i) {
        unlock(window_.flavourOptions[i], SettingKey::Flavour);
    }
    window_.applyButton.setEnabled(applyWasEnabled_);
    window_.cancelButton.setEnabled(true);
    window_.okButton.setEnabled(true);
    window_.updateNowButton.setEnabled(true);
}

}  // namespace velmora
