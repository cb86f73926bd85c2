#pragma once

#include <string>
#include <vector>

#include "tray/ShellWindows.h"

namespace velmora::test {

// Windows whose state a test sets and whose every operation is recorded in order, for the
// decisions of the tray logic and the program's start and end.
class RecordingShellWindows final : public ShellWindows {
  public:
    bool settingsShown = false;
    bool aboutShown = false;
    std::vector<std::string> calls;

    bool settingsVisible() const override { return settingsShown; }
    void restoreSettings() override { calls.push_back("restore"); }
    void showSettings() override {
        calls.push_back("show");
        settingsShown = true;
    }
    void bringSettingsToFront() override { calls.push_back("front"); }
    void popUpTrayMenu() override { calls.push_back("menu"); }
    bool aboutBoxVisible() const override { return aboutShown; }
    void showAboutBoxModal() override { calls.push_back("about"); }
    void unloadAboutBox() override {
        calls.push_back("unloadAbout");
        aboutShown = false;
    }
};

}  // namespace velmora::test
