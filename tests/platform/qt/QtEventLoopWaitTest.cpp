#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "linux/PosixProcessControl.h"
#include "log/EventLog.h"
#include "qt/QtEventLoopWait.h"
#include "support/FixedClock.h"
#include "support/PackageStarts.h"
#include "support/RecordingNotifier.h"
#include "support/SavedScript.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class QtEventLoopWaitTest : public ::testing::Test {
  protected:
    std::int32_t startPackage(const std::string& body) {
        const std::unique_ptr<SavedPackage> saved = test::saveScript("pkg.exe", body);
        std::string error;
        const std::int32_t pid = test::startOwn(processes_, *saved, "/q", error);
        EXPECT_NE(pid, 0) << error;
        return pid;
    }

    int argc_ = 1;
    char name_[17] = "velmora_qt_tests";
    char* argv_[2] = {name_, nullptr};
    QApplication app_{argc_, argv_};
    test::TempDir dir_;
    test::ScopedWorkingDirectory cwd_{dir_.path()};
    test::RecordingNotifier notifier_;
    EventLog log_{{dir_ / "velmora.log", dir_ / "fallback.log"}, notifier_, test::fixedTime};
    QtEventLoopWait events_;
    PosixProcessControl processes_{events_, log_};
};

TEST_F(QtEventLoopWaitTest, TimersAndEventsAreServedWhileThePackageRuns) {
    const std::int32_t pid = startPackage("sleep 0.4");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    EXPECT_NE(processes_.waitForProcess(pid), 0);
    EXPECT_GE(ticks, 5);
    EXPECT_FALSE(processes_.quitRequested());
    EXPECT_FALSE(fs::exists(dir_ / "velmora.log"));
}

TEST_F(QtEventLoopWaitTest, AnApplicationExitEndsTheWaitAndLeavesThePackageRunning) {
    const std::int32_t pid = startPackage("exec sleep 5");
    QTimer::singleShot(50, [] { QCoreApplication::exit(0); });

    EXPECT_EQ(processes_.waitForProcess(pid), 0);
    EXPECT_TRUE(processes_.quitRequested());
    EXPECT_EQ(kill(pid, 0), 0);
    EXPECT_FALSE(fs::exists(dir_ / "velmora.log"));

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

TEST_F(QtEventLoopWaitTest, AProcessThatEndedBeforeTheWaitIsNoticedAtOnce) {
    const std::int32_t pid = startPackage("exit 3");
    siginfo_t info{};
    // Let it end but leave it unreaped, as the package may be when the wait begins.
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);

    EXPECT_NE(processes_.waitForProcess(pid), 0);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace velmora
