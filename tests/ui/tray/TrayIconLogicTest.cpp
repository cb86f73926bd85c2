#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingShellWindows.h"
#include "tray/TrayIconLogic.h"

namespace velmora {
namespace {

using RecordingWindows = test::RecordingShellWindows;
using Calls = std::vector<std::string>;

struct Case {
    TrayMessage message;
    bool settingsShown;
    bool aboutShown;
    Calls expected;
};

TEST(TrayIconLogicTest, EachTrayEventActsAsTheTableSays) {
    const std::vector<Case> cases = {
        {TrayMessage::LeftButtonDown, true, false, {"restore", "front"}},
        {TrayMessage::LeftButtonDown, false, false, {}},
        {TrayMessage::LeftDoubleClick, false, false, {"restore", "show", "front"}},
        {TrayMessage::LeftDoubleClick, false, true, {}},
        {TrayMessage::LeftDoubleClick, true, false, {}},
        {TrayMessage::RightButtonDown, true, false, {"restore", "front"}},
        {TrayMessage::RightButtonDown, false, false, {"menu"}},
        {TrayMessage::RightButtonDown, false, true, {"menu"}},
    };
    for (const Case& c : cases) {
        RecordingWindows windows;
        windows.settingsShown = c.settingsShown;
        windows.aboutShown = c.aboutShown;
        int exits = 0;
        TrayIconLogic logic(windows, [&] { ++exits; });
        logic.onTrayMessage(c.message);
        EXPECT_EQ(windows.calls, c.expected)
            << "message " << static_cast<int>(c.message) << ", settings shown " << c.settingsShown
            << ", About box shown " << c.aboutShown;
        EXPECT_EQ(exits, 0);
    }
}

TEST(TrayIconLogicTest, ReleasesMovesAndRightDoubleClicksDoNothing) {
    for (const TrayMessage message : {TrayMessage::MouseMove, TrayMessage::LeftButtonUp,
                                      TrayMessage::RightButtonUp, TrayMessage::RightDoubleClick}) {
        for (const bool shown : {false, true}) {
            RecordingWindows windows;
            windows.settingsShown = shown;
            TrayIconLogic logic(windows, [] {});
            logic.onTrayMessage(message);
            EXPECT_TRUE(windows.calls.empty()) << static_cast<int>(message);
        }
    }
}

TEST(TrayIconLogicTest, DoubleClickOnHiddenWindowGivesPressThenShow) {
    RecordingWindows windows;
    TrayIconLogic logic(windows, [] {});
    logic.onTrayMessage(TrayMessage::LeftButtonDown);
    logic.onTrayMessage(TrayMessage::LeftDoubleClick);
    EXPECT_EQ(windows.calls, (Calls{"restore", "show", "front"}));
}

TEST(TrayIconLogicTest, MenuCommandsOpenAboutShowSettingsOrExit) {
    RecordingWindows windows;
    int exits = 0;
    TrayIconLogic logic(windows, [&] { ++exits; });

    logic.onMenuCommand(TrayCommand::About);
    logic.onMenuCommand(TrayCommand::Separator);
    EXPECT_EQ(windows.calls, (Calls{"about"}));

    // "設定(&C)" shows the window without forcing it to the foreground.
    windows.calls.clear();
    logic.onMenuCommand(TrayCommand::Config);
    EXPECT_EQ(windows.calls, (Calls{"restore", "show"}));
    EXPECT_EQ(exits, 0);

    windows.calls.clear();
    logic.onMenuCommand(TrayCommand::Exit);
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(windows.calls.empty());
}

TEST(TrayIconLogicTest, AboutItemDoesNotStackASecondBox) {
    RecordingWindows windows;
    windows.aboutShown = true;
    TrayIconLogic logic(windows, [] {});
    logic.onAboutChosen();
    EXPECT_TRUE(windows.calls.empty());
}

TEST(TrayIconLogicTest, MenuHoldsItsFourItemsInOrder) {
    EXPECT_EQ(kTrayMenuCaption, "タスクトレイメニュー");
    ASSERT_EQ(kTrayMenuItems.size(), 4u);
    EXPECT_EQ(kTrayMenuItems[0].name, "aboutMenuItem");
    EXPECT_EQ(kTrayMenuItems[0].caption, "Velmora について(&A)...");
    EXPECT_EQ(kTrayMenuItems[1].name, "settingsMenuItem");
    EXPECT_EQ(kTrayMenuItems[1].caption, "設定(&C)");
    EXPECT_EQ(kTrayMenuItems[2].name, "separatorMenuItem");
    EXPECT_EQ(kTrayMenuItems[2].command, TrayCommand::Separator);
    EXPECT_EQ(kTrayMenuItems[3].name, "exitMenuItem");
    EXPECT_EQ(kTrayMenuItems[3].caption, "終了(&X)");
}

}  // namespace
}  // namespace velmora
