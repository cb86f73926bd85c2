#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/MainWindowControls.h"

namespace velmora {
namespace {

TEST(MainWindowControlsTest, FlavourOptionsCarryTheirTagsAndIntervalItsRange) {
    MainWindowControls window;
    ASSERT_EQ(window.optIUP.count(), 2u);
    EXPECT_EQ(window.optIUP[0].tag(), "i32");
    EXPECT_EQ(window.optIUP[1].tag(), "x86");
    EXPECT_EQ(window.optIUP[0].caption(), "&i32");
    EXPECT_EQ(window.optIUP[1].caption(), "&x86");
    EXPECT_EQ(window.scrlInterval.minimum(), 1);
    EXPECT_EQ(window.scrlInterval.maximum(), 99);
    EXPECT_EQ(window.lblInterval.size(), 2u);
    EXPECT_EQ(soundFlavourIndex(1), 1);
    EXPECT_EQ(soundFlavourIndex(0), 0);
    EXPECT_EQ(soundFlavourIndex(2), 0);
    EXPECT_EQ(soundFlavourIndex(-1), 0);
}

TEST(MainWindowControlsTest, StartsHiddenWithoutUnappliedChangesAndPlaceholders) {
    MainWindowControls window;
    EXPECT_EQ(window.caption(), "Velmora");
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(window.cmdApply.enabled());
    EXPECT_EQ(window.lblLatstVDFileName.caption(), "----/--/-- rev. ---");
    EXPECT_EQ(window.lblVDFileName.caption(), "----/--/-- rev. ---");
    EXPECT_TRUE(window.lblLatstVDFileName.tag().empty());
    EXPECT_EQ(window.frmVendor.caption(), "Corvane Web Site");
    EXPECT_EQ(window.cmdOK.role(), CommandButton::Role::Default);
    EXPECT_EQ(window.cmdCancel.role(), CommandButton::Role::Cancel);
    EXPECT_EQ(window.tmGetVD.intervalMs(), 60000);
    EXPECT_TRUE(window.tmGetVD.enabled());
}

TEST(MainWindowControlsTest, TabOrderEndsWithTheKeepPackagesBox) {
    MainWindowControls window;
    std::vector<std::string> names;
    for (const Control* control : window.tabOrder()) {
        names.push_back(control->name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"optIUP", "optIUP", "cmdUpdateVD", "chkAuto",
                                               "txtInterval", "scrlInterval", "chkRun", "chkLog",
                                               "cmdOK", "cmdCancel", "cmdApply", "chkRemove"}));
}

}  // namespace
}  // namespace velmora
