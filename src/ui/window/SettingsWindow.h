#pragma once

#include <string>

#include "ports/SettingsRepository.h"
#include "settings/Settings.h"
#include "window/SettingsWindowControls.h"

namespace velmora {

// The settings window: its controls, which show the settings and hold the user's edits until
// Apply or OK stores them, and the rules that tie them together. Cancel and the close box
// reload the stored settings.
class SettingsWindow : public SettingsWindowControls {
  public:
    explicit SettingsWindow(SettingsRepository& settings);
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Fills the setting controls from the store and leaves no unapplied changes.
    void loadSettings();
    // The settings as the controls show them, applied or not (the pending edits).
    Settings pendingSettings() const;
    // Enables the interval controls while automatic update is checked (and not locked by a
    // run), disables them otherwise.
    void applyAutoUpdateState();

    void onAutoUpdateClicked();
    void onLogClicked();
    void onStartWithSessionClicked();
    void onKeepPackagesClicked();
    void onFlavourClicked(int index);
    void onIntervalScrolled();
    // Turns whatever was typed into a whole number of hours within the interval range.
    void onIntervalBoxLeft();
    void onApplyClicked();
    void onOkClicked();
    void onCancelClicked();

    // The installed version in installedVersionLabel: the version in its tag, the display form in
    // its caption.
    void showInstalledVersion(const std::string& version);
    // The newest published package in latestPackageLabel, in the same two forms.
    void showLatestPackage(const std::string& packageName);

  private:
    void show(const Settings& settings);
    void markChanged();
    void setIntervalBarFromText();
    void focusChosenFlavour();

    SettingsRepository& settings_;
    Subscription firstFocus_;
};

}  // namespace velmora
