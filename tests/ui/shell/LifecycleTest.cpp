#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell/Lifecycle.h"
#include "support/RecordingShellWindows.h"
#include "support/ScriptedTrayIcon.h"
#include "support/fakes/FakeSettings.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

using Calls = std::vector<std::string>;

// The real window and settings store over an in-memory registry; the tray, the other
// windows and the start-up steps beyond the window record what they are asked.
class MainFormTest : public ::testing::Test {
  protected:
    test::FakeSettings settings;
    std::filesystem::path logFile = settings.dir / "velmora.log";
    SettingsWindow window{settings.settings};
    test::ScriptedTrayIcon tray;
    NotifyIcon notifyIcon{tray, settings.log};
    test::RecordingShellWindows windows;

    Calls calls;
    bool showBoxSeen = true;
    bool writeToLogSeen = true;
    Lifecycle form{window, notifyIcon, windows, steps()};

    void SetUp() override {
        tray.onCall = [this](const std::string& call) { calls.push_back(call); };
    }

    LifecycleSteps steps() {
        return {
            .resetTickCounter = [this] { calls.push_back("tick"); },
            .installedDefinitions =
                [this] {
                    calls.push_back("installed");
                    return std::string("20041001-003");
                },
            .findLatestPackage =
                [this](bool showBox, bool writeToLog) {
                    calls.push_back("find");
                    showBoxSeen = showBox;
                    writeToLogSeen = writeToLog;
                    return std::optional<PublishedPackage>();
                },
            .endProgram = [this] { calls.push_back("end"); },
        };
    }
};

TEST_F(MainFormTest, LoadRunsItsStepsInOrderAndLeavesTheWindowHidden) {
    settings.store("IUP", "1");
    settings.store("Interval", "24");
    window.setVisible(true);
    calls.clear();
    bool hiddenBeforeTheTick = false;
    bool captionBeforeInstalled = false;
    bool loadedBeforeFind = false;
    auto checks = steps();
    checks.resetTickCounter = [&] {
        hiddenBeforeTheTick = !window.visible();
        calls.push_back("tick");
    };
    checks.installedDefinitions = [&] {
        captionBeforeInstalled = window.vendorFrame.caption() == packageBaseUrl();
        calls.push_back("installed");
        return std::string("20041001-003");
    };
    auto find = checks.findLatestPackage;
    checks.findLatestPackage = [&, find](bool showBox, bool writeToLog) {
        loadedBeforeFind = window.flavourOptions[1].value() && window.intervalBox.text() == "24" &&
                           !window.applyButton.enabled();
        return find(showBox, writeToLog);
    };
    Lifecycle loading(window, notifyIcon, windows, checks);
    loading.startUp();

    EXPECT_EQ(calls, (Calls{"tick", "add:Velmora", "installed", "find"}));
    EXPECT_TRUE(hiddenBeforeTheTick);
    EXPECT_TRUE(captionBeforeInstalled);
    EXPECT_TRUE(loadedBeforeFind);
    EXPECT_EQ(showBoxSeen, false);
    EXPECT_EQ(writeToLogSeen, true);
    EXPECT_EQ(window.vendorFrame.caption(),
              "http://update.corvane.example/defs/download/packages/");
    EXPECT_EQ(window.installedVersionLabel.tag(), "20041001-003");
    EXPECT_EQ(window.installedVersionLabel.caption(), "2004/10/1 rev. 3");
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(loading.unloaded());
}

TEST_F(MainFormTest, RefusedTrayIconDoesNotStopTheStartUp) {
    tray.behaviour = test::ScriptedTrayIcon::Behaviour::Refuse;
    form.startUp();
    EXPECT_EQ(calls, (Calls{"tick", "add:Velmora", "installed", "find"}));
    EXPECT_TRUE(settings.notifier.notices.empty());
}

TEST_F(MainFormTest, MinimisingHidesTheWindow) {
    form.startUp();
    window.setVisible(true);
    window.setWindowState(WindowState::Normal);
    EXPECT_TRUE(window.visible());
    window.setWindowState(WindowState::Minimized);
    EXPECT_FALSE(window.visible());
}

TEST_F(MainFormTest, CloseBoxDiscardsEditsHidesAndKeepsTheProgram) {
    form.startUp();
    window.setWindowState(WindowState::Normal);
    window.setVisible(true);
    window.logCheckBox.setValue(1);
    ASSERT_TRUE(window.applyButton.enabled());
    calls.clear();

    form.unload(UnloadMode::UserClose);

    EXPECT_FALSE(form.unloaded());
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.logCheckBox.value(), 0);
    EXPECT_FALSE(window.applyButton.enabled());
    EXPECT_TRUE(calls.empty()) << "no icon removed, program not ended";
    EXPECT_TRUE(settings.backend.tree()->keys.empty()) << "nothing stored";
}

TEST_F(MainFormTest, EveryOtherUnloadRemovesTheIconUnloadsTheAboutBoxAndEndsOnce) {
    for (const UnloadMode mode :
         {UnloadMode::Code, UnloadMode::SessionEnd, UnloadMode::TaskManager}) {
        Lifecycle ending(window, notifyIcon, windows, steps());
        ending.startUp();
        window.autoUpdateCheckBox.setValue(1);  // an edit that must not be stored
        calls.clear();
        windows.calls.clear();
        windows.aboutShown = true;

        ending.unload(mode);
        ending.unload(UnloadMode::SessionEnd);  // a second request, from aboutToQuit
        ending.finishUnload();

        EXPECT_TRUE(ending.unloaded());
        EXPECT_EQ(calls, (Calls{"remove", "end"})) << static_cast<int>(mode);
        EXPECT_EQ(windows.calls, (Calls{"unloadAbout"}));
        window.loadSettings();
    }
    EXPECT_TRUE(settings.backend.tree()->keys.empty()) << "nothing stored at exit";
    EXPECT_FALSE(std::filesystem::exists(logFile)) << "nothing logged at exit";
    EXPECT_TRUE(settings.notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
