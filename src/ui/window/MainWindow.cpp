#include "window/MainWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

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

MainWindow::MainWindow(SettingsStore& store, Reg& reg, std::string appPath, std::string exeName)
    : store_(store), reg_(reg), appPath_(std::move(appPath)), exeName_(std::move(exeName)) {
    chkAuto.onClick = [this] { chkAuto_Click(); };
    chkLog.onClick = [this] { chkLog_Click(); };
    chkRun.onClick = [this] { chkRun_Click(); };
    chkRemove.onClick = [this] { chkRemove_Click(); };
    optIUP.onClick = [this](int index) { optIUP_Click(index); };
    scrlInterval.onChange = [this] { scrlInterval_Change(); };
    txtInterval.onValidate = [this] { txtInterval_Validate(); };
    cmdApply.onClick = [this] { cmdApply_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void MainWindow::LoadSettings() {
    lblIUP.setTag(std::to_string(soundFlavourIndex(store_.GetIUPSetting())));
    optIUP[flavourOption(store_.storedFlavour())].setValue(true);
    chkRun.setValue(soundCheckValue(store_.GetRunSetting()));
    chkAuto.setValue(soundCheckValue(store_.GetAutoSetting()));
    const auto hours =
        std::clamp(store_.GetIntervalSetting(), scrlInterval.minimum(), scrlInterval.maximum());
    txtInterval.setText(std::to_string(hours));
    setIntervalBarFromText();
    chkLog.setValue(store_.LogIsOn() ? 1 : 0);
    chkRemove.setValue(soundCheckValue(store_.GetRemoveSetting()));
    ApplyAutoUpdateState();
    cmdApply.setEnabled(false);
}

void MainWindow::ApplyAutoUpdateState() {
    // While a run has locked the window (chkAuto disabled) a reload must not unlock the
    // interval controls; the run calls this again after re-enabling chkAuto.
    const bool enable = chkAuto.value() == 1 && chkAuto.enabled();
    for (Label& label : lblInterval) {
        label.setEnabled(enable);
    }
    txtInterval.setEnabled(enable);
    scrlInterval.setEnabled(enable);
}

void MainWindow::chkAuto_Click() {
    ApplyAutoUpdateState();
    markChanged();
}

void MainWindow::chkLog_Click() {
    markChanged();
}

void MainWindow::chkRun_Click() {
    markChanged();
}

void MainWindow::chkRemove_Click() {
    markChanged();
}

void MainWindow::optIUP_Click(int index) {
    lblIUP.setTag(std::to_string(index));
    markChanged();
}

void MainWindow::scrlInterval_Change() {
    const auto hours = static_cast<std::int16_t>(scrlInterval.maximum() - scrlInterval.value() + 1);
    txtInterval.setText(std::to_string(hours));
    if (visible()) {
        setFocus(txtInterval);
    }
    markChanged();
}

void MainWindow::txtInterval_Validate() {
    const double minimum = scrlInterval.minimum();
    const double maximum = scrlInterval.maximum();
    const double typed = parseNumericText(txtInterval.text()).value_or(minimum);
    const double hours = std::round(std::clamp(typed, minimum, maximum));
    txtInterval.setText(std::to_string(static_cast<int>(hours)));
    setIntervalBarFromText();
}

void MainWindow::cmdApply_Click() {
    // Text typed and confirmed with Enter or a button's access key has not been validated
    // by a focus change; it is made sound before it is stored.
    txtInterval_Validate();
    const std::string keyPath = SettingsStore::SettingsKeyPath();
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "IUP", lblIUP.tag());
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "Auto", checkText(chkAuto));
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "Interval", txtInterval.text());
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "Log", checkText(chkLog));
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "Remove", checkText(chkRemove));
    reg_.RegWriteValue(RootKey::CurrentUser, keyPath, "Run", checkText(chkRun));
    if (chkRun.value() == 1) {
        reg_.RegWriteValue(RootKey::LocalMachine, kRunKeyPath, exeName_, startupEntryData());
    } else {
        reg_.RegDeleteValue(RootKey::LocalMachine, kRunKeyPath, exeName_);
    }
    cmdApply.setEnabled(false);
}

void MainWindow::cmdOK_Click() {
    // Validated first: a new interval typed and confirmed with Enter moves the bar and so
    // counts as a change to store.
    txtInterval_Validate();
    if (cmdApply.enabled()) {
        cmdApply_Click();
    }
    cmdCancel_Click();
}

void MainWindow::cmdCancel_Click() {
    // While a run has locked the flavour options the focus cannot go there; closing goes on
    // without moving it.
    const auto selected = parseNumericText(lblIUP.tag()).value_or(0);
    setFocus(optIUP[static_cast<std::size_t>(soundFlavourIndex(static_cast<int>(selected)))]);
    setWindowState(WindowState::Minimized);
    setVisible(false);
    LoadSettings();
}

void MainWindow::showInstalledVersion(const std::string& version) {
    lblVDFileName.setTag(version);
    lblVDFileName.setCaption(FormatDefinitionName(version));
}

void MainWindow::showLatestPackage(const std::string& packageName) {
    lblLatstVDFileName.setTag(packageName);
    lblLatstVDFileName.setCaption(FormatDefinitionName(packageName));
}

UpdateRunInputs MainWindow::updateRunInputs() {
    return {.flavour = store_.storedFlavour(),
            .keepPackages = chkRemove.value() != 0,
            .installedVersion = lblVDFileName.tag()};
}

std::string MainWindow::startupEntryData() const {
    // Joined with the platform's own separator, and none added after one already there.
    return (std::filesystem::path(appPath_) / exeName_).string();
}

void MainWindow::markChanged() {
    cmdApply.setEnabled(true);
}

void MainWindow::setIntervalBarFromText() {
    const double hours = parseNumericText(txtInterval.text()).value_or(scrlInterval.minimum());
    scrlInterval.setValue(static_cast<int>(std::round(scrlInterval.maximum() - hours + 1)));
}

}  // namespace velmora
