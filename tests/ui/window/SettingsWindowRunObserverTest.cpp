#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/update/UpdateNotices.h"
#include "ui/WindowRunRig.h"
#include "update/SettingsForRun.h"
#include "window/SettingsWindowRunObserver.h"

namespace velmora {
namespace {

using test::FakeProcessControl;
using test::kPackage;
using test::kUpdated;
using Rig = test::WindowRunRig;
using States = std::map<std::string, bool>;

// The window while a run holds it, with the selected flavour being the stored one.
States lockedWindow(const States& before) {
    States states = before;
    for (const char* name :
         {"updateNowButton", "okButton", "cancelButton", "applyButton", "flavourOptions(0)",
          "flavourOptions(1)", "autoUpdateCheckBox", "intervalBox", "intervalScrollBar",
          "startWithSessionCheckBox", "logCheckBox", "keepPackagesCheckBox"}) {
        states[name] = false;
    }
    return states;
}

class SettingsWindowRunObserverTest : public ::testing::Test {
  protected:
    // Runs as the button does and keeps the window's state as it stood at the first notice.
    RunResult runRecordingTheLock() {
        rig_.notifier.onNotice = [this](const std::string&) {
            if (statesAtNotice_.empty()) {
                statesAtNotice_ = rig_.enabledStates();
            }
        };
        const LoadedSettings applied = rig_.settings.load();
        return rig_.service.run(
            runRequestFor(applied.settings, rig_.window.pendingSettings(), applied.policies,
                          rig_.window.installedVersionLabel.tag(), true),
            observer_);
    }

    Rig rig_;
    SettingsWindowRunObserver observer_{rig_.window};
    States statesAtNotice_;
};

TEST_F(SettingsWindowRunObserverTest, TheWindowIsLockedDuringARunAndShowsWhatItFound) {
    rig_.publish(kPackage, Rig::installingPackage("20041114.017"));
    rig_.startUp();
    const States before = rig_.enabledStates();

    runRecordingTheLock();

    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_EQ(statesAtNotice_, lockedWindow(before));
    EXPECT_EQ(rig_.enabledStates(), before);
    EXPECT_FALSE(rig_.window.applyButton.enabled());
    EXPECT_EQ(rig_.window.installedVersionLabel.tag(), "20041114-017");
    EXPECT_EQ(rig_.window.installedVersionLabel.caption(), "2004/11/14 rev. 17");
    EXPECT_EQ(rig_.window.latestPackageLabel.tag(), "20041114-017");
    EXPECT_EQ(rig_.window.latestPackageLabel.caption(), "2004/11/14 rev. 17");
}

TEST_F(SettingsWindowRunObserverTest, AFailedRunUnlocksTheWindowAndKeepsTheInstalledVersion) {
    rig_.publish(kPackage, "exit 0");  // installs nothing
    rig_.startUp();
    const States before = rig_.enabledStates();
    EXPECT_EQ(runRecordingTheLock().outcome, UpdateOutcome::NotConfirmed);
    EXPECT_EQ(statesAtNotice_, lockedWindow(before));
    EXPECT_EQ(rig_.enabledStates(), before);
    EXPECT_EQ(rig_.window.installedVersionLabel.caption(), "----/--/-- rev. ---");
}

TEST_F(SettingsWindowRunObserverTest, UnappliedEditsSurviveTheRunAndTheIntervalFollowsAuto) {
    rig_.publish(kPackage, Rig::installingPackage("20041114.017"));
    rig_.startUp();
    rig_.window.autoUpdateCheckBox.setValue(1);  // checked on the window, not applied
    ASSERT_TRUE(rig_.window.applyButton.enabled());
    rig_.window.intervalBox.setEnabled(false);  // whatever their state before the run
    rig_.window.intervalLabels[1].setEnabled(false);

    runRecordingTheLock();

    EXPECT_FALSE(statesAtNotice_.at("applyButton"));
    EXPECT_TRUE(rig_.window.applyButton.enabled());
    EXPECT_TRUE(rig_.window.intervalBox.enabled());
    EXPECT_TRUE(rig_.window.intervalScrollBar.enabled());
    EXPECT_TRUE(rig_.window.intervalLabels[0].enabled());
    EXPECT_TRUE(rig_.window.intervalLabels[1].enabled());
}

TEST_F(SettingsWindowRunObserverTest, TheStoredFlavourRunsWhenAnotherIsSelectedButNotApplied) {
    rig_.store("IUP", "1");
    rig_.publish("20041114-017-x86.exe", Rig::installingPackage("20041114.017"));
    rig_.startUp();
    rig_.window.flavourOptions[0].setValue(true);  // the user picks i32 and does not apply it
    ASSERT_TRUE(rig_.window.applyButton.enabled());

    EXPECT_EQ(runRecordingTheLock().outcome, UpdateOutcome::Updated);

    // Only the stored option and the options not selected are locked.
    EXPECT_TRUE(statesAtNotice_.at("flavourOptions(0)"));
    EXPECT_FALSE(statesAtNotice_.at("flavourOptions(1)"));
    EXPECT_TRUE(rig_.window.flavourOptions[0].enabled());
    EXPECT_TRUE(rig_.window.flavourOptions[1].enabled());
    EXPECT_TRUE(rig_.window.applyButton.enabled());
}

TEST_F(SettingsWindowRunObserverTest, AnExitDuringTheWaitLeavesTheWindowAsItStood) {
    rig_.publish(kPackage, "sleep");
    rig_.startUp();
    States lockedAtExit;
    rig_.processes.duringWait = [&] {
        lockedAtExit = rig_.enabledStates();
        return FakeProcessControl::WaitEnd::Quit;
    };
    EXPECT_EQ(runRecordingTheLock().outcome, UpdateOutcome::Interrupted);
    EXPECT_EQ(rig_.enabledStates(), lockedAtExit);
    EXPECT_FALSE(rig_.window.updateNowButton.enabled());
}

}  // namespace
}  // namespace velmora
