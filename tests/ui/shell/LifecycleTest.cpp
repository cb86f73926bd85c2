#include <gtest/gtest.h>

#include <functional>
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

// The start-up steps beyond the window, recording what they are asked; `beforeEach` runs at
// the start of each, so that a test can look at the window as the step meets it.
class RecordingSteps final : public LifecycleSteps {
  public:
    explicit RecordingSteps(Calls& calls) : calls_(calls) {}

    void resetTickCounter() override { record("tick"); }
    std::string installedDefinitions() override {
        record("installed");
        return "20041001-003";
    }
    std::optional<PublishedPackage> findLatestPackage(bool showBox, bool writeToLog) override {
        record("find");
        showBoxSeen = showBox;
        writeToLogSeen = writeToLog;
        return std::nullopt;
    }
    void endProgram() override { record("end"); }

    std::function<void(const std::string& step)> beforeEach;
    bool showBoxSeen = true;
    bool writeToLogSeen = true;

  private:
    void record(const std::string& step) {
        if (beforeEach) {
            beforeEach(step);
        }
        calls_.push_back(step);
    }

    Calls& calls_;
};

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
    RecordingSteps steps{calls};
    Lifecycle form{window, notifyIcon, windows, steps};

    void SetUp() override {
        tray.onCall = [this](const std::string& call) { calls.push_back(call); };
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
    steps.beforeEach = [&](const std::string& step) {
        if (step == "tick") {
            hiddenBeforeTheTick = !window.visible();
        } else if (step == "installed") {
            captionBeforeInstalled = window.vendorFrame.caption() == packageBaseUrl();
        } else if (step == "find") {
            loadedBeforeFind = window.flavourOptions[1].value() &&
                               window.intervalBox.text() == "24" && !window.applyButton.enabled();
        }
    };
    Lifecycle loading(window, notifyIcon, windows, steps);
    loading.startUp();

    EXPECT_EQ(calls, (Calls{"tick", "add:Velmora", "installed", "find"}));
    EXPECT_TRUE(hiddenBeforeTheTick);
    EXPECT_TRUE(captionBeforeInstalled);
    EXPECT_TRUE(loadedBeforeFind);
    EXPECT_EQ(steps.showBoxSeen, false);
    EXPECT_EQ(steps.writeToLogSeen, true);
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
    EXPECT_TRUE(settings.backend.tree()->values.empty()) << "nothing stored";
}

TEST_F(MainFormTest, EveryOtherUnloadRemovesTheIconUnloadsTheAboutBoxAndEndsOnce) {
    for (const UnloadMode mode :
         {UnloadMode::Code, UnloadMode::SessionEnd, UnloadMode::TaskManager}) {
        Lifecycle ending(window, notifyIcon, windows, steps);
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
    EXPECT_TRUE(settings.backend.tree()->values.empty()) << "nothing stored at exit";
    EXPECT_FALSE(std::filesystem::exists(logFile)) << "nothing logged at exit";
    EXPECT_TRUE(settings.notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
