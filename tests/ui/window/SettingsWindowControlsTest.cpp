#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/SettingsWindowControls.h"

namespace velmora {
namespace {

TEST(MainWindowControlsTest, FlavourOptionsCarryTheirTagsAndIntervalItsRange) {
    SettingsWindowControls window;
    ASSERT_EQ(window.flavourOptions.count(), 2u);
    EXPECT_EQ(window.flavourOptions[0].tag(), "i32");
    EXPECT_EQ(window.flavourOptions[1].tag(), "x86");
    EXPECT_EQ(window.flavourOptions[0].caption(), "&i32");
    EXPECT_EQ(window.flavourOptions[1].caption(), "&x86");
    EXPECT_EQ(window.intervalScrollBar.minimum(), 1);
    EXPECT_EQ(window.intervalScrollBar.maximum(), 99);
    EXPECT_EQ(window.intervalLabels.size(), 2u);
    EXPECT_EQ(soundFlavourIndex(1), 1);
    EXPECT_EQ(soundFlavourIndex(0), 0);
    EXPECT_EQ(soundFlavourIndex(2), 0);
    EXPECT_EQ(soundFlavourIndex(-1), 0);
}

TEST(MainWindowControlsTest, StartsHiddenWithoutUnappliedChangesAndPlaceholders) {
    SettingsWindowControls window;
    EXPECT_EQ(window.caption(), "Velmora");
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(window.applyButton.enabled());
    EXPECT_EQ(window.latestPackageLabel.caption(), "----/--/-- rev. ---");
    EXPECT_EQ(window.installedVersionLabel.caption(), "----/--/-- rev. ---");
    EXPECT_TRUE(window.latestPackageLabel.tag().empty());
    EXPECT_EQ(window.vendorFrame.caption(), "Corvane Web Site");
    EXPECT_EQ(window.okButton.role(), CommandButton::Role::Default);
    EXPECT_EQ(window.cancelButton.role(), CommandButton::Role::Cancel);
    EXPECT_EQ(window.minuteTimer.intervalMs(), 60000);
    EXPECT_TRUE(window.minuteTimer.enabled());
}

TEST(MainWindowControlsTest, TabOrderEndsWithTheKeepPackagesBox) {
    SettingsWindowControls window;
    std::vector<std::string> names;
    for (const Control* control : window.tabOrder()) {
        names.push_back(control->name());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"flavourOptions", "flavourOptions", "updateNowButton",
                                        "autoUpdateCheckBox", "intervalBox", "intervalScrollBar",
                                        "startWithSessionCheckBox", "logCheckBox", "okButton",
                                        "cancelButton", "applyButton", "keepPackagesCheckBox"}));
}

}  // namespace
}  // namespace velmora
