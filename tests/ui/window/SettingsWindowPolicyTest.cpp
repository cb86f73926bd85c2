#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/update/UpdateNotices.h"
#include "shell/UpdateScheduler.h"
#include "ui/WindowRunRig.h"

namespace velmora {
namespace {

using Rig = test::WindowRunRig;
using States = std::map<std::string, bool>;

// The window, its update-now button and its timer over the user's settings and the
// administrator's policies, on fakes.
class SettingsWindowPolicyTest : public ::testing::Test {
  protected:
    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            rig_.window.minuteTimer.onTimer();
        }
    }

    Rig rig_;
    UpdateScheduler scheduler_{rig_.window, rig_.settings, rig_.service, rig_.log};
};

// Each control whose setting a policy sets shows the policy's value, not the user's, and
// stays disabled through a run, the reload that Cancel makes included.
TEST_F(SettingsWindowPolicyTest, AControlAPolicySetsShowsItsValueAndStaysDisabled) {
    for (const char* name : {"IUP", "Auto", "Log", "Remove"}) {
        rig_.store(name, "0");
        rig_.administer(name, "1");
    }
    rig_.store("Interval", "5");
    rig_.administer("Interval", "24");
    rig_.publish("20041114-017-x86.exe", Rig::installingPackage("20041114.017"));
    rig_.startUp();

    SettingsWindow& window = rig_.window;
    EXPECT_TRUE(window.flavourOptions[1].value());
    EXPECT_EQ(window.autoUpdateCheckBox.value(), 1);
    EXPECT_EQ(window.intervalBox.text(), "24");
    EXPECT_EQ(window.intervalScrollBar.value(), 76);
    EXPECT_EQ(window.logCheckBox.value(), 1);
    EXPECT_EQ(window.keepPackagesCheckBox.value(), 1);
    States expected = rig_.enabledStates();
    for (const char* name : {"flavourOptions(0)", "flavourOptions(1)", "autoUpdateCheckBox",
                             "intervalLabels(0)", "intervalBox", "intervalScrollBar",
                             "intervalLabels(1)", "logCheckBox", "keepPackagesCheckBox"}) {
        EXPECT_FALSE(expected.at(name)) << name;
    }
    EXPECT_TRUE(expected.at("startWithSessionCheckBox"));
    EXPECT_TRUE(expected.at("updateNowButton"));

    window.updateNowButton.click();
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{test::kUpdated});
    EXPECT_EQ(rig_.packageFile.files.count("20041114-017-x86.exe"), 1u) << "kept by the policy";
    EXPECT_EQ(rig_.enabledStates(), expected);
    window.setVisible(true);
    window.onCancelClicked();
    EXPECT_EQ(rig_.enabledStates(), expected);
}

// Apply stores what the user may choose and leaves the user's own value of every setting a
// policy sets as it was.
TEST_F(SettingsWindowPolicyTest, ApplyStoresOnlyWhatThePoliciesLeaveToTheUser) {
    rig_.store("Interval", "5");
    rig_.administer("Interval", "24");
    rig_.administer("Log", "1");
    rig_.startUp();
    rig_.window.startWithSessionCheckBox.setValue(1);
    rig_.window.autoUpdateCheckBox.setValue(1);
    rig_.window.applyButton.click();

    EXPECT_EQ(rig_.stored("Run"), "1");
    EXPECT_EQ(rig_.stored("Auto"), "1");
    EXPECT_EQ(rig_.stored("Interval"), "5");
    EXPECT_EQ(rig_.stored("Log"), "");
    EXPECT_EQ(rig_.window.intervalBox.text(), "24");
    EXPECT_FALSE(rig_.window.intervalBox.enabled()) << "checking Auto leaves a policy's interval";
}

// The timer goes by automatic update and the interval as the policies set them; an interval
// no policy sets stays the user's to change.
TEST_F(SettingsWindowPolicyTest, TheTimerGoesByThePolicies) {
    rig_.fetcher.responses[hashListUrl()] = test::FakeResponse::ok("");
    rig_.store("Auto", "0");
    rig_.administer("Auto", "1");
    rig_.startUp();
    EXPECT_TRUE(rig_.window.intervalBox.enabled());
    rig_.window.intervalBox.setText("2");
    tick(119);
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 0u);
    tick(1);
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 1u);

    rig_.administer("Auto", "0");
    rig_.window.loadSettings();
    tick(240);
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 1u);
}

}  // namespace
}  // namespace velmora
