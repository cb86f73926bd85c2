#pragma once

#include <string>

#include "update/UpdateRunObserver.h"
#include "window/MainWindowControls.h"

namespace velmora {

class Reg;
class SettingsStore;

// The key of the machine-wide start-up entries and where the entry of this program is kept.
inline constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The settings window: its controls (the program's working copy of the settings) and the
// rules that tie them together. Edits live on the controls until Apply or OK stores them;
// Cancel and the close box reload the stored values.
class MainWindow : public MainWindowControls {
  public:
    // `appPath` and `exeName` name the running executable: the folder it lies in and its
    // file name, which are the start-up entry's data and its value name.
    MainWindow(SettingsStore& store, Reg& reg, std::string appPath, std::string exeName);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Fills the setting controls from the store and leaves no unapplied changes. Stored
    // values outside what the window can show load as the nearest sound value.
    void LoadSettings();
    // Enables the interval controls while automatic update is checked (and not locked by a
    // run), disables them otherwise.
    void ApplyAutoUpdateState();

    void chkAuto_Click();
    void chkLog_Click();
    void chkRun_Click();
    void chkRemove_Click();
    void optIUP_Click(int index);
    void scrlInterval_Change();
    // Turns whatever was typed into a whole number of hours within the interval range.
    void txtInterval_Validate();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The installed version in lblVDFileName: the version in its tag, the display form in
    // its caption.
    void showInstalledVersion(const std::string& version);
    // The newest published package in lblLatstVDFileName, in the same two forms.
    void showLatestPackage(const std::string& packageName);
    // What an update run starting now works with: the stored flavour, the keep-packages box
    // as it stands (applied or not) and the installed version shown.
    UpdateRunInputs updateRunInputs();

    // The start-up entry's value name and data for this executable.
    const std::string& startupEntryName() const { return exeName_; }
    std::string startupEntryData() const;

  private:
    void markChanged();
    void setIntervalBarFromText();

    SettingsStore& store_;
    Reg& reg_;
    std::string appPath_;
    std::string exeName_;
};

}  // namespace velmora
