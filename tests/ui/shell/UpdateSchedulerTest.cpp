#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/UpdateScheduler.h"
#include "ui/WindowRunRig.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using UpdateRunRig = test::WindowRunRig;

class UpdateSchedulerTest : public ::testing::Test {
  protected:
    UpdateSchedulerTest() {
        // Every run asks for the hash list once; an empty list ends it there.
        rig_.fetcher.responses[hashListUrl()] = test::FakeResponse::ok("");
        rig_.startUp();
        rig_.window.autoUpdateCheckBox.setValue(1);
        rig_.window.intervalBox.setText("1");
    }

    std::size_t runs() const { return rig_.fetcher.requestsFor(hashListUrl()); }
    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            rig_.window.minuteTimer.onTimer();
        }
    }

    UpdateRunRig rig_;
    UpdateScheduler scheduler_{rig_.window, rig_.settings, rig_.service, rig_.log};
};

TEST_F(UpdateSchedulerTest, TheFirstRunComesOnTheSixtiethTickAndTheNextSixtyTicksAfterIt) {
    tick(59);
    EXPECT_EQ(runs(), 0u);
    EXPECT_EQ(scheduler_.tickCounter(), 59);
    tick(1);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(scheduler_.tickCounter(), 0);
    tick(59);
    EXPECT_EQ(runs(), 1u);
    tick(1);
    EXPECT_EQ(runs(), 2u);
    // A timer-driven run never shows a box.
    EXPECT_TRUE(rig_.notifier.notices.empty());
}

TEST_F(UpdateSchedulerTest, ATickWithAutomaticUpdateOffOrGreyStartsTheCountAgain) {
    for (const std::int16_t off : {0, 2}) {
        SCOPED_TRACE(off);
        const std::size_t before = runs();
        rig_.window.autoUpdateCheckBox.setValue(1);
        tick(50);
        rig_.window.autoUpdateCheckBox.setValue(off);
        tick(100);
        EXPECT_EQ(scheduler_.tickCounter(), 0);
        rig_.window.autoUpdateCheckBox.setValue(1);
        tick(59);
        EXPECT_EQ(runs(), before);
        tick(1);
        EXPECT_EQ(runs(), before + 1);
    }
}

TEST_F(UpdateSchedulerTest, TheIntervalTextIsReadOnEveryTick) {
    rig_.window.intervalBox.setText("2");
    tick(70);
    EXPECT_EQ(runs(), 0u);
    // Lowered below the count already reached: the next tick runs.
    rig_.window.intervalBox.setText("1");
    tick(1);
    EXPECT_EQ(runs(), 1u);

    // A text that is not a number (still being typed) is never due; the count goes on.
    rig_.window.intervalBox.setText("1x");
    tick(100);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(scheduler_.tickCounter(), 100);
    rig_.window.intervalBox.setText("");
    tick(1);
    EXPECT_EQ(runs(), 1u);
    rig_.window.intervalBox.setText("1.5");
    tick(1);
    EXPECT_EQ(runs(), 2u);
}

TEST_F(UpdateSchedulerTest, TheCountHoldsAtItsLimitWhileNothingFallsDue) {
    // Far beyond 32,767 minutes (nearly 23 days) with a text that is never due.
    rig_.window.intervalBox.setText("x");
    tick(40000);
    EXPECT_EQ(scheduler_.tickCounter(), 32767);
    EXPECT_EQ(runs(), 0u);

    rig_.window.intervalBox.setText("99");
    tick(1);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(scheduler_.tickCounter(), 0);
}

TEST_F(UpdateSchedulerTest, TheButtonRunsWithBoxesAndLeavesTheCountAlone) {
    tick(30);
    rig_.window.updateNowButton.click();
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(rig_.notifier.notices.size(), 1u);
    EXPECT_EQ(scheduler_.tickCounter(), 30);
    tick(30);
    EXPECT_EQ(runs(), 2u);
    EXPECT_EQ(rig_.notifier.notices.size(), 1u);
}

TEST_F(UpdateSchedulerTest, TheLogFollowsTheStoredSettingNotTheCheckBox) {
    rig_.window.logCheckBox.setValue(1);  // checked, not applied
    tick(60);
    rig_.window.updateNowButton.click();
    EXPECT_EQ(runs(), 2u);
    EXPECT_FALSE(fs::exists(rig_.logFile()));

    rig_.store("Log", "1");
    tick(60);
    rig_.window.updateNowButton.click();
    const std::string log = test::readFile(rig_.logFile());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST_F(UpdateSchedulerTest, TheWindowShowsLoggingOnExactlyWhenTheRunsLog) {
    for (const char* stored : {"5", "-1", "1", "0", "yes"}) {
        SCOPED_TRACE(stored);
        fs::remove(rig_.logFile());
        rig_.store("Log", stored);
        rig_.window.loadSettings();
        rig_.window.updateNowButton.click();
        EXPECT_EQ(rig_.window.logCheckBox.value() == 1, fs::exists(rig_.logFile()));
    }
}

// A store that cannot be read is told once, by the button, before its run's own notice;
// the timer's runs show nothing.
TEST_F(UpdateSchedulerTest, AnUnreadableStoreIsShownOnceByTheButton) {
    rig_.backend.unreadable = true;
    tick(60);
    EXPECT_TRUE(rig_.notifier.notices.empty());
    rig_.window.updateNowButton.click();
    rig_.window.updateNowButton.click();
    ASSERT_EQ(rig_.notifier.notices.size(), 3u);
    EXPECT_TRUE(rig_.notifier.notices[0].starts_with("設定ファイル"));
    EXPECT_FALSE(rig_.notifier.notices[1].starts_with("設定ファイル"));
    EXPECT_FALSE(rig_.notifier.notices[2].starts_with("設定ファイル"));
}

TEST_F(UpdateSchedulerTest, ATickThatFallsDueWhileThePackageRunsStartsNothing) {
    rig_.publish("20041114-017-i32.exe", UpdateRunRig::installingPackage("20041114.017"));
    int ticksDuringWait = 0;
    rig_.processes.duringWait = [&] {
        for (int i = 0; i < 5; ++i) {
            rig_.window.minuteTimer.onTimer();
            ++ticksDuringWait;
        }
        return test::FakeProcessControl::WaitEnd::Ends;
    };
    tick(60);
    EXPECT_EQ(ticksDuringWait, 5);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(rig_.installed(), "20041114-017");
    EXPECT_EQ(scheduler_.tickCounter(), 0);
}

}  // namespace
}  // namespace velmora
