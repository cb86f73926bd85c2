#pragma once

#include <string>

#include "update/UpdateService.h"
#include "window/SettingsWindowControls.h"

namespace velmora {

class Autostart;
class Reg;
class SettingsStore;

// The settings window: its controls (the program's working copy of the settings) and the
// rules that tie them together. Edits live on the controls until Apply or OK stores them;
// Cancel and the close box reload the stored values.
class SettingsWindow : public SettingsWindowControls {
  public:
    // `appPath` and `exeName` name the running executable: the folder it lies in and its
    // file name, which are the start-up entry's command and its name in `autostart`.
    SettingsWindow(SettingsStore& store, Reg& reg, Autostart& autostart, std::string appPath,
                   std::string exeName);
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Fills the setting controls from the store and leaves no unapplied changes. Stored
    // values outside what the window can show load as the nearest sound value.
    void loadSettings();
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
    // What an update run starting now works with: the stored flavour, the keep-packages box
    // as it stands (applied or not) and the installed version shown, with the notice flags
    // of its trigger.
    RunRequest runRequest(bool showBox, bool writeToLog);

    // The start-up entry's name and command for this executable.
    const std::string& startupEntryName() const { return exeName_; }
    std::string startupEntryData() const;

  private:
    void markChanged();
    void setIntervalBarFromText();

    SettingsStore& store_;
    Reg& reg_;
    Autostart& autostart_;
    std::string appPath_;
    std::string exeName_;
};

}  // namespace velmora
