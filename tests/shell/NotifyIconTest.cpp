#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "shell/NotifyIcon.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::readFile;

// A tray that accepts or refuses on request, or fails the way a broken desktop would:
// these failures cannot be provoked on a real notification area.
class ScriptedTray final : public TrayIcon {
  public:
    enum class Behaviour { Accept, Refuse, ThrowSystemError, ThrowOther };
    Behaviour behaviour = Behaviour::Accept;
    std::string lastTip;

    bool add(const std::string& tip) override {
        lastTip = tip;
        return act();
    }
    bool remove() override { return act(); }

  private:
    bool act() {
        switch (behaviour) {
            case Behaviour::ThrowSystemError:
                throw std::system_error(ENOMEM, std::generic_category(), "tray");
            case Behaviour::ThrowOther:
                throw std::runtime_error("the notification area went away");
            case Behaviour::Refuse:
                return false;
            case Behaviour::Accept:
                break;
        }
        return true;
    }
};

class NotifyIconTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::RecordingNotifier notifier;
    EventLog log{{dir / "velmora.log", dir / "state" / "velmora.log"}, notifier};
    ScriptedTray tray;
    NotifyIcon notifyIcon{tray, log};
};

TEST_F(NotifyIconTest, AcceptedAndRefusedIconsReportNothing) {
    EXPECT_TRUE(notifyIcon.AddTrayIcon("Velmora"));
    EXPECT_EQ(tray.lastTip, "Velmora");
    EXPECT_TRUE(notifyIcon.DeleteTrayIcon());

    tray.behaviour = ScriptedTray::Behaviour::Refuse;
    EXPECT_FALSE(notifyIcon.AddTrayIcon("Velmora"));
    EXPECT_FALSE(notifyIcon.DeleteTrayIcon());
    EXPECT_TRUE(notifier.notices.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "velmora.log"));
}

TEST_F(NotifyIconTest, RunTimeErrorsAreReportedInBoxAndLogAndGiveFalse) {
    tray.behaviour = ScriptedTray::Behaviour::ThrowSystemError;
    EXPECT_FALSE(notifyIcon.AddTrayIcon("Velmora"));
    tray.behaviour = ScriptedTray::Behaviour::ThrowOther;
    EXPECT_FALSE(notifyIcon.DeleteTrayIcon());

    const std::string first =
        "ERROR #" + std::to_string(ENOMEM) + " : " + std::generic_category().message(ENOMEM);
    const std::string second = "ERROR #-1 : the notification area went away";
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
