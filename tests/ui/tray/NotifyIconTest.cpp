#include <gtest/gtest.h>

#include <system_error>

#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/ScriptedTrayIcon.h"
#include "support/TempDir.h"
#include "tray/NotifyIcon.h"

namespace velmora {
namespace {

using test::readFile;

using ScriptedTray = test::ScriptedTrayIcon;

class NotifyIconTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::RecordingNotifier notifier;
    EventLog log{{dir / "velmora.log", dir / "state" / "velmora.log"}, notifier, test::fixedTime};
    ScriptedTray tray;
    NotifyIcon notifyIcon{tray, log};
};

TEST_F(NotifyIconTest, AcceptedAndRefusedIconsReportNothing) {
    std::vector<std::string> calls;
    tray.onCall = [&](const std::string& call) { calls.push_back(call); };
    EXPECT_TRUE(notifyIcon.addTrayIcon(std::string(70, 'V')));
    EXPECT_EQ(calls, std::vector<std::string>{"add:" + std::string(63, 'V')});
    EXPECT_TRUE(notifyIcon.deleteTrayIcon());

    tray.behaviour = ScriptedTray::Behaviour::Refuse;
    EXPECT_FALSE(notifyIcon.addTrayIcon("Velmora"));
    EXPECT_FALSE(notifyIcon.deleteTrayIcon());
    EXPECT_TRUE(notifier.notices.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "velmora.log"));
}

TEST_F(NotifyIconTest, RunTimeErrorsAreReportedInBoxAndLogAndGiveFalse) {
    tray.behaviour = ScriptedTray::Behaviour::ThrowSystemError;
    EXPECT_FALSE(notifyIcon.addTrayIcon("Velmora"));
    tray.behaviour = ScriptedTray::Behaviour::ThrowOther;
    EXPECT_FALSE(notifyIcon.deleteTrayIcon());

    const std::string first =
        "ERROR #" + std::to_string(ENOMEM) + " : " + std::generic_category().message(ENOMEM);
    const std::string second = "ERROR #51 : the notification area went away";
    EXPECT_EQ(notifier.notices, (std::vector<std::string>{first, second}));
    const std::string written = readFile(dir / "velmora.log");
    EXPECT_NE(written.find(" : " + first + "\r\n"), std::string::npos);
    EXPECT_NE(written.find(" : " + second + "\r\n"), std::string::npos);
}

TEST(TrayTipTest, LongTitlesAreCutTo63CharactersWithoutSplittingOne) {
    EXPECT_EQ(trayTip("Velmora"), "Velmora");
    EXPECT_EQ(trayTip(std::string(63, 'a')), std::string(63, 'a'));
    EXPECT_EQ(trayTip(std::string(64, 'a')), std::string(63, 'a'));
    EXPECT_EQ(trayTip(""), "");

    std::string japanese;
    for (int i = 0; i < 70; ++i) {
        japanese += "定";
    }
    const std::string cut = trayTip(japanese);
    EXPECT_EQ(cut.size(), 63u * 3u);
    EXPECT_EQ(cut, japanese.substr(0, 63u * 3u));
}

}  // namespace
}  // namespace velmora
