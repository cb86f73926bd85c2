#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "linux/RegDocument.h"
#include "support/TempSettings.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

struct Choice {
    int autoUpdate;
    const char* interval;
    int log;
    int remove;
};
constexpr Choice kFirst{1, "24", 1, 0};
constexpr Choice kSecond{0, "48", 0, 1};

void choose(SettingsWindow& window, const Choice& choice) {
    window.autoUpdateCheckBox.setValue(choice.autoUpdate);
    window.intervalBox.setText(choice.interval);
    window.logCheckBox.setValue(choice.log);
    window.keepPackagesCheckBox.setValue(choice.remove);
}

// Apply stores one value after another, each by replacing the settings file whole: a
// program killed in the middle leaves a whole file in which every value is the one stored
// before or the one being stored, never a damaged file or a value of neither.
TEST(ApplyKilledTest, SettingsFileStaysWholeWhenTheProgramIsKilledDuringApply) {
    test::TempSettings s;
    SettingsWindow window{s.settings};
    window.loadSettings();
    choose(window, kFirst);
    window.onApplyClicked();
    const auto file = s.dir / "config" / "velmora" / "registry" / "HKEY_CURRENT_USER.reg";

    std::mt19937 random(11);
    int roundsWithTheSecondInterval = 0;
    for (int round = 0; round < 10; ++round) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            for (bool second = true;; second = !second) {
                choose(window, second ? kSecond : kFirst);
                window.onApplyClicked();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 25));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        ASSERT_TRUE(RegDocument::parse(test::readFile(file), "HKEY_CURRENT_USER").has_value());
        EXPECT_EQ(s.stored("IUP"), "0");
        const std::string autoUpdate = s.stored("Auto");
        EXPECT_TRUE(autoUpdate == "1" || autoUpdate == "0") << autoUpdate;
        const std::string interval = s.stored("Interval");
        EXPECT_TRUE(interval == "24" || interval == "48") << interval;
        roundsWithTheSecondInterval += interval == "48" ? 1 : 0;
        const std::string log = s.stored("Log");
        EXPECT_TRUE(log == "1" || log == "0") << log;
        const std::string remove = s.stored("Remove");
        EXPECT_TRUE(remove == "1" || remove == "0") << remove;
        EXPECT_EQ(s.stored("Run"), "0");
    }
    EXPECT_GT(roundsWithTheSecondInterval, 0) << "the children never got to apply";
    EXPECT_TRUE(s.notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
