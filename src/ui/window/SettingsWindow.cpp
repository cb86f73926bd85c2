#include "window/SettingsWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "ports/Autostart.h"
#include "ports/Utf8Path.h"
#include "settings/NumericText.h"
#include "settings/Reg.h"
#include "settings/SettingsStore.h"
#include "update/DefinitionName.h"

namespace velmora {

namespace {

// A check box shows only 0 and 1; any other stored number loads as clear.
std::int16_t soundCheckValue(std::int16_t stored) {
    return stored == 1 ? 1 : 0;
}

std::string checkText(const CheckBox& box) {
    return std::to_string(box.value());
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsStore& store, Reg& reg, Autostart& autostart,
                               std::string appPath, std::string exeName)
    : store_(store),
      reg_(reg),
      autostart_(autostart),
      appPath_(std::move(appPath)),
      exeName_(std::move(exeName)) {
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
}

void SettingsWindow::loadSettings() {
    flavourLabel.setTag(std::to_string(soundFlavourIndex(store_.flavourSetting())));
    flavourOptions[flavourOption(store_.storedFlavour())].setValue(true);
    startWithSessionCheckBox.setValue(soundCheckValue(store_.runSetting()));
    autoUpdateCheckBox.setValue(soundCheckValue(store_.autoSetting()));
    const auto hours = std::clamp(store_.intervalSetting(), intervalScrollBar.minimum(),
                                  intervalScrollBar.maximum());
    intervalBox.setText(std::to_string(hours));
    setIntervalBarFromText();
    logCheckBox.setValue(store_.logIsOn() ? 1 : 0);
    keepPackagesCheckBox.setValue(soundCheckValue(store_.removeSetting()));
    applyAutoUpdateState();
    applyButton.setEnabled(false);
}

void SettingsWindow::applyAutoUpdateState() {
    // While a run has locked the window (autoUpdateCheckBox disabled) a reload must not unlock the
    // interval controls; the run calls this again after re-enabling autoUpdateCheckBox.
    const bool enable = autoUpdateCheckBox.value() == 1 && autoUpdateCheckBox.enabled();
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
    const std::string keyPath = SettingsStore::settingsKeyPath();
    reg_.writeValue(RootKey::CurrentUser, keyPath, "IUP", flavourLabel.tag());
    reg_.writeValue(RootKey::CurrentUser, keyPath, "Auto", checkText(autoUpdateCheckBox));
    reg_.writeValue(RootKey::CurrentUser, keyPath, "Interval", intervalBox.text());
    reg_.writeValue(RootKey::CurrentUser, keyPath, "Log", checkText(logCheckBox));
    reg_.writeValue(RootKey::CurrentUser, keyPath, "Remove", checkText(keepPackagesCheckBox));
    reg_.writeValue(RootKey::CurrentUser, keyPath, "Run", checkText(startWithSessionCheckBox));
    if (startWithSessionCheckBox.value() == 1) {
        reg_.makeChange([this] { return autostart_.enable(exeName_, startupEntryData()); });
    } else {
        reg_.makeChange([this] { return autostart_.disable(exeName_); });
    }
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
    // While a run has locked the flavour options the focus cannot go there; closing goes on
    // without moving it.
    const auto selected = parseNumericText(flavourLabel.tag()).value_or(0);
    setFocus(
        flavourOptions[static_cast<std::size_t>(soundFlavourIndex(static_cast<int>(selected)))]);
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

RunRequest SettingsWindow::runRequest(bool showBox, bool writeToLog) {
    return {.flavour = store_.storedFlavour(),
            .keepPackages = keepPackagesCheckBox.value() != 0,
            .installedVersion = installedVersionLabel.tag(),
            .showBox = showBox,
            .writeToLog = writeToLog};
}

std::string SettingsWindow::startupEntryData() const {
    // Joined with the platform's own separator, and none added after one already there.
    return utf8Text(utf8Path(appPath_) / utf8Path(exeName_));
}

void SettingsWindow::markChanged() {
    applyButton.setEnabled(true);
}

void SettingsWindow::setIntervalBarFromText() {
    const double hours = parseNumericText(intervalBox.text()).value_or(intervalScrollBar.minimum());
    intervalScrollBar.setValue(
        static_cast<int>(std::round(intervalScrollBar.maximum() - hours + 1)));
}

}  // namespace velmora
