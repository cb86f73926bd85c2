#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell/MainForm.h"
#include "support/RecordingShellWindows.h"
#include "support/ScriptedTrayIcon.h"
#include "support/fakes/FakeSettings.h"
#include "update/VendorUrls.h"
#include "window/MainWindow.h"

namespace velmora {
namespace {

using Calls = std::vector<std::string>;

// The real window and settings store over an in-memory registry; the tray, the other
// windows and the start-up steps beyond the window record what they are asked.
class MainFormTest : public ::testing::Test {
  protected:
    test::FakeSettings settings;
    std::filesystem::path logFile = settings.dir / "velmora.log";
    MainWindow window{settings.settings, settings.reg, settings.dir.path().string(), "velmora"};
    test::ScriptedTrayIcon tray;
    NotifyIcon notifyIcon{tray, settings.log};
    test::RecordingShellWindows windows;

    Calls calls;
    Flag16 showBoxSeen = 1;
    Flag16 writeToLogSeen = 1;
    MainForm form{window, notifyIcon, windows, steps()};

    void SetUp() override {
        tray.onCall = [this](const std::string& call) { calls.push_back(call); };
    }

    MainFormSteps steps() {
        return {
            .resetTickCounter = [this] { calls.push_back("tick"); },
            .installedDefinitions =
                [this] {
                    calls.push_back("installed");
                    return std::string("20041001-003");
                },
            .findLatestPackage =
                [this](const Flag16& showBox, const Flag16& writeToLog) {
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
        captionBeforeInstalled = window.frmVendor.caption() == packageBaseUrl();
        calls.push_back("installed");
        return std::string("20041001-003");
    };
    auto find = checks.findLatestPackage;
    checks.findLatestPackage = [&, find](const Flag16& showBox, const Flag16& writeToLog) {
        loadedBeforeFind = window.optIUP[1].value() && window.txtInterval.text() == "24" &&
                           !window.cmdApply.enabled();
        return find(showBox, writeToLog);
    };
    MainForm loading(window, notifyIcon, windows, checks);
    loading.Form_Load();

    EXPECT_EQ(calls, (Calls{"tick", "add:Velmora", "installed", "find"}));
    EXPECT_TRUE(hiddenBeforeTheTick);
    EXPECT_TRUE(captionBeforeInstalled);
    EXPECT_TRUE(loadedBeforeFind);
    EXPECT_EQ(showBoxSeen, kFalse);
    EXPECT_EQ(writeToLogSeen, kTrue);
    EXPECT_EQ(window.frmVendor.caption(), "http://update.corvane.example/defs/download/packages/");
    EXPECT_EQ(window.lblVDFileName.tag(), "20041001-003");
    EXPECT_EQ(window.lblVDFileName.caption(), "2004/10/1 rev. 3");
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(loading.unloaded());
}

TEST_F(MainFormTest, RefusedTrayIconDoesNotStopTheStartUp) {
    tray.behaviour = test::ScriptedTrayIcon::Behaviour::Refuse;
    form.Form_Load();
    EXPECT_EQ(calls, (Calls{"tick", "add:Velmora", "installed", "find"}));
    EXPECT_TRUE(settings.notifier.notices.empty());
}

TEST_F(MainFormTest, MinimisingHidesTheWindow) {
    form.Form_Load();
    window.setVisible(true);
    window.setWindowState(WindowState::Normal);
    EXPECT_TRUE(window.visible());
    window.setWindowState(WindowState::Minimized);
    EXPECT_FALSE(window.visible());
}

TEST_F(MainFormTest, CloseBoxDiscardsEditsHidesAndKeepsTheProgram) {
    form.Form_Load();
    window.setWindowState(WindowState::Normal);
    window.setVisible(true);
    window.chkLog.setValue(1);
    ASSERT_TRUE(window.cmdApply.enabled());
    calls.clear();

    form.unload(UnloadMode::UserClose);

    EXPECT_FALSE(form.unloaded());
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.chkLog.value(), 0);
    EXPECT_FALSE(window.cmdApply.enabled());
    EXPECT_TRUE(calls.empty()) << "no icon removed, program not ended";
    EXPECT_TRUE(settings.backend.tree()->keys.empty()) << "nothing stored";
}

TEST_F(MainFormTest, EveryOtherUnloadRemovesTheIconUnloadsTheAboutBoxAndEndsOnce) {
    for (const UnloadMode mode :
         {UnloadMode::Code, UnloadMode::SessionEnd, UnloadMode::TaskManager}) {
        MainForm ending(window, notifyIcon, windows, steps());
        ending.Form_Load();
        window.chkAuto.setValue(1);  // an edit that must not be stored
        calls.clear();
        windows.calls.clear();
        windows.aboutShown = true;

        ending.unload(mode);
        ending.unload(UnloadMode::SessionEnd);  // a second request, from aboutToQuit
        ending.Form_Unload();

        EXPECT_TRUE(ending.unloaded());
        EXPECT_EQ(calls, (Calls{"remove", "end"})) << static_cast<int>(mode);
        EXPECT_EQ(windows.calls, (Calls{"unloadAbout"}));
        window.LoadSettings();
    }
    EXPECT_TRUE(settings.backend.tree()->keys.empty()) << "nothing stored at exit";
    EXPECT_FALSE(std::filesystem::exists(logFile)) << "nothing logged at exit";
    EXPECT_TRUE(settings.notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
