#pragma once

#include <string>

#include "ports/SettingsRepository.h"
#include "settings/Settings.h"
#include "window/SettingsWindowControls.h"

namespace velmora {

// The settings window: its controls, which show the settings and hold the user's edits until
// Apply or OK stores them, and the rules that tie them together. Cancel and the close box
// reload the stored settings. A setting an administrator's policy sets shows the policy's
// value in a control that stays disabled, captioned with the reason.
class SettingsWindow : public SettingsWindowControls {
  public:
    explicit SettingsWindow(SettingsRepository& settings);
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Fills the setting controls from the store and leaves no unapplied changes.
    void loadSettings();
    // The settings as the controls show them, applied or not (the pending edits).
    Settings pendingSettings() const;
    // Enables the interval controls while automatic update is checked (and neither locked by
    // a run nor set by a policy), disables them otherwise.
    void applyAutoUpdateState();
    // Whether the policies the window was last loaded with set this setting.
    bool setByPolicy(SettingKey key) const { return policies_.manages(key); }
    // While a run holds the setting controls locked, nothing the window does unlocks them.
    void setLockedByRun(bool locked) { lockedByRun_ = locked; }

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
    void showPolicies();
    void markChanged();
    void setIntervalBarFromText();
    void focusChosenFlavour();

    SettingsRepository& settings_;
    Subscription firstFocus_;
    Policies policies_;
    bool lockedByRun_ = false;
};

// What a control's caption says when a policy sets its value: the note "(管理者が設定)" after
// the caption, ahead of a closing colon.
std::string captionSetByPolicy(const std::string& caption);

}  // namespace velmora
