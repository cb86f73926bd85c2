#include "window/SettingsWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "settings/NumericText.h"
#include "update/DefinitionName.h"

namespace velmora {

SettingsWindow::SettingsWindow(SettingsRepository& settings) : settings_(settings) {
    autoUpdateCheckBox.onClick = [this] { onAutoUpdateClicked(); };
    logCheckBox.onClick = [this] { onLogClicked(); };
    startWithSessionCheckBox.onClick = [this] { onStartWithSessionClicked(); };
    keepPackagesCheckBox.onClick = [this] { onKeepPackagesClicked(); };
    flavourOptions.onClick = [this](int index) { onFlavourClicked(index); };
    intervalScrollBar.onChange = [this] { onIntervalScrolled(); };
    intervalBox.onValidate = [this] { onIntervalBoxLeft(); };
    applyButton.onClick = [this] { onApplyClicked(); };
    okButton.onClick = [this] { onOkClicked(); };
    cancelButton.onClick = [this] { onCancelClicked(); };
    // The window opens with the focus on the chosen flavour, and keeps where the user left it.
    firstFocus_ = observe([this](ControlProperty property) {
        if (property == ControlProperty::Visible && visible() && focused() == nullptr) {
            focusChosenFlavour();
        }
    });
}

void SettingsWindow::loadSettings() {
    LoadedSettings loaded = settings_.load();
    policies_ = std::move(loaded.policies);
    show(loaded.settings);
    showPolicies();
    applyButton.setEnabled(false);
}

// The policies do not change while the program runs, so a control they set is disabled here
// once and for all; the interval controls follow applyAutoUpdateState.
void SettingsWindow::showPolicies() {
    const auto mark = [this](SettingKey key, Control& captioned,
                             std::initializer_list<Control*> disabled) {
        if (!setByPolicy(key)) {
            return;
        }
        captioned.setCaption(captionSetByPolicy(captioned.caption()));
        for (Control* control : disabled) {
            control->setEnabled(false);
        }
    };
    mark(SettingKey::Flavour, flavourLabel, {&flavourOptions[0], &flavourOptions[1]});
    mark(SettingKey::AutoUpdate, autoUpdateCheckBox, {&autoUpdateCheckBox});
    mark(SettingKey::IntervalHours, intervalLabels[0], {});
    mark(SettingKey::Log, logCheckBox, {&logCheckBox});
    mark(SettingKey::KeepPackages, keepPackagesCheckBox, {&keepPackagesCheckBox});
}

void SettingsWindow::show(const Settings& settings) {
    const std::size_t flavour = flavourOption(settings.flavour);
    flavourLabel.setTag(std::to_string(flavour));
    flavourOptions[flavour].setValue(true);
    startWithSessionCheckBox.setValue(settings.startWithSession ? 1 : 0);
    autoUpdateCheckBox.setValue(settings.autoUpdate ? 1 : 0);
    intervalBox.setText(std::to_string(settings.intervalHours));
    setIntervalBarFromText();
    logCheckBox.setValue(settings.log ? 1 : 0);
    keepPackagesCheckBox.setValue(settings.keepPackages ? 1 : 0);
    applyAutoUpdateState();
}

Settings SettingsWindow::pendingSettings() const {
    const double typed =
        parseNumericText(intervalBox.text()).value_or(Settings::kIntervalMinimumHours);
    return {.flavour = flavourLabel.tag() == "1" ? Flavour::X86 : Flavour::I32,
            .autoUpdate = autoUpdateCheckBox.value() == 1,
            .intervalHours = static_cast<int>(std::round(std::clamp<double>(
                typed, Settings::kIntervalMinimumHours, Settings::kIntervalMaximumHours))),
            .log = logCheckBox.value() == 1,
            .keepPackages = keepPackagesCheckBox.value() != 0,
            .startWithSession = startWithSessionCheckBox.value() == 1};
}

void SettingsWindow::applyAutoUpdateState() {
    // While a run has locked the window a reload must not unlock the interval controls; the
    // run calls this again as it unlocks the window.
    const bool enable =
        autoUpdateCheckBox.value() == 1 && !lockedByRun_ && !setByPolicy(SettingKey::IntervalHours);
    for (Label& label : intervalLabels) {
        label.setEnabled(enable);
    }
    intervalBox.setEnabled(enable);
    intervalScrollBar.setEnabled(enable);
}

void SettingsWindow::onAutoUpdateClicked() {
    applyAutoUpdateState();
    markChanged();
}

void SettingsWindow::onLogClicked() {
    markChanged();
}

void SettingsWindow::onStartWithSessionClicked() {
    markChanged();
}

void SettingsWindow::onKeepPackagesClicked() {
    markChanged();
}

void SettingsWindow::onFlavourClicked(int index) {
    flavourLabel.setTag(std::to_string(index));
    markChanged();
}

void SettingsWindow::onIntervalScrolled() {
    const auto hours =
        static_cast<std::int16_t>(intervalScrollBar.maximum() - intervalScrollBar.value() + 1);
    intervalBox.setText(std::to_string(hours));
    if (visible()) {
        setFocus(intervalBox);
    }
    markChanged();
}

void SettingsWindow::onIntervalBoxLeft() {
    const double minimum = intervalScrollBar.minimum();
    const double maximum = intervalScrollBar.maximum();
    const double typed = parseNumericText(intervalBox.text()).value_or(minimum);
    const double hours = std::round(std::clamp(typed, minimum, maximum));
    intervalBox.setText(std::to_string(static_cast<int>(hours)));
    setIntervalBarFromText();
}

void SettingsWindow::onApplyClicked() {
    // Text typed and confirmed with Enter or a button's access key has not been validated
    // by a focus change; it is made sound before it is stored.
    onIntervalBoxLeft();
    settings_.save(pendingSettings());
    applyButton.setEnabled(false);
}

void SettingsWindow::onOkClicked() {
    // Validated first: a new interval typed and confirmed with Enter moves the bar and so
    // counts as a change to store.
    onIntervalBoxLeft();
    if (applyButton.enabled()) {
        onApplyClicked();
    }
    onCancelClicked();
}

void SettingsWindow::onCancelClicked() {
    focusChosenFlavour();
    setWindowState(WindowState::Minimized);
    setVisible(false);
    loadSettings();
}

void SettingsWindow::showInstalledVersion(const std::string& version) {
    installedVersionLabel.setTag(version);
    installedVersionLabel.setCaption(formatDefinitionName(version));
}

void SettingsWindow::showLatestPackage(const std::string& packageName) {
    latestPackageLabel.setTag(packageName);
    latestPackageLabel.setCaption(formatDefinitionName(packageName));
}

void SettingsWindow::focusChosenFlavour() {
    // While a run has locked the flavour options the focus cannot go there; what asked for
    // it goes on without moving it.
    const auto selected = parseNumericText(flavourLabel.tag()).value_or(0);
    setFocus(
        flavourOptions[static_cast<std::size_t>(soundFlavourIndex(static_cast<int>(selected)))]);
}

void SettingsWindow::markChanged() {
    applyButton.setEnabled(true);
}

std::string captionSetByPolicy(const std::string& caption) {
    const std::string note = "(管理者が設定)";
    if (caption.find(note) != std::string::npos) {
        return caption;
    }
    const bool endsInColon = caption.ends_with(':');
    return caption.substr(0, caption.size() - (endsInColon ? 1 : 0)) + note +
           (endsInColon ? ":" : "");
}

void SettingsWindow::setIntervalBarFromText() {
    const double hours = parseNumericText(intervalBox.text()).value_or(intervalScrollBar.minimum());
    intervalScrollBar.setValue(
        static_cast<int>(std::round(intervalScrollBar.maximum() - hours + 1)));
}

}  // namespace velmora
