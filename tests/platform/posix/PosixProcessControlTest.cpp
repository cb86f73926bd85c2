#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>

#include "platform/posix/PollEventLoopWait.h"
#include "platform/posix/PosixProcessControl.h"
#include "support/RecordingNotifier.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// Stands in for an event loop that cannot be made to fail or quit on demand.
class ScriptedEventLoopWait final : public EventLoopWait {
  public:
    ScriptedEventLoopWait(WaitOutcome outcome, int errorNumber)
        : outcome_(outcome), errorNumber_(errorNumber) {}
    WaitOutcome waitUntilReadable(int) override {
        errno = errorNumber_;
        return outcome_;
    }

  private:
    WaitOutcome outcome_;
    int errorNumber_;
};

double cpuSecondsOfThisProcess() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PosixProcessControlTest : public ::testing::Test {
  protected:
    void writeScript(const std::string& name, const std::string& body) {
        writeFile(dir_ / name, "#!/bin/sh\n" + body + "\n");
        fs::permissions(dir_ / name, fs::perms::owner_all);
    }
    std::string logText() const {
        return fs::exists(dir_ / "velmora.log") ? readFile(dir_ / "velmora.log") : "";
    }
    bool isRunning(pid_t pid) const { return kill(pid, 0) == 0; }

    test::TempDir dir_;
    test::ScopedWorkingDirectory cwd_{dir_.path()};
    test::RecordingNotifier notifier_;
    EventLog log_{{dir_ / "velmora.log", dir_ / "fallback.log"}, notifier_};
    PollEventLoopWait events_;
    PosixProcessControl processes_{events_, log_};
};

TEST_F(PosixProcessControlTest, StartsABareNameFromTheWorkingDirectoryWithoutAShell) {
    writeScript("20041114-017-x86.exe", "printf '%s|' \"$@\" > args.txt");
    std::string error;
    const std::int32_t pid = processes_.startProgram("20041114-017-x86.exe /q;touch\tx", error);
    ASSERT_NE(pid, 0) << error;
    EXPECT_NE(processes_.WaitForProcess(pid), 0);

    EXPECT_EQ(readFile(dir_ / "args.txt"), "/q;touch|x|");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    EXPECT_EQ(logText(), "");
}

TEST_F(PosixProcessControlTest, ABareNameIsNeverLookedUpOnTheSearchPath) {
    std::string error;
    EXPECT_EQ(processes_.startProgram("true /q", error), 0);
    EXPECT_EQ(error, "No such file or directory");

    writeFile(dir_ / "not-executable.exe", "#!/bin/sh\n");
    fs::permissions(dir_ / "not-executable.exe", fs::perms::owner_read);
    error.clear();
    EXPECT_EQ(processes_.startProgram("not-executable.exe /q", error), 0);
    EXPECT_EQ(error, "Permission denied");

    error.clear();
    EXPECT_EQ(processes_.startProgram("   ", error), 0);
    EXPECT_FALSE(error.empty());
}

TEST_F(PosixProcessControlTest, ThePackageInheritsNoDescriptorBeyondTheStandardThree) {
    const int leaked = fcntl(STDOUT_FILENO, F_DUPFD, 57);  // no close-on-exec
    ASSERT_GE(leaked, 57);
    writeScript("pkg.exe", "if [ -e /proc/$$/fd/" + std::to_string(leaked) +
                               " ]; then echo leaked > fds.txt; else echo clean > fds.txt; fi");
    std::string error;
    const std::int32_t pid = processes_.startProgram("pkg.exe", error);
    ASSERT_NE(pid, 0) << error;
    EXPECT_NE(processes_.WaitForProcess(pid), 0);
    close(leaked);
    EXPECT_EQ(readFile(dir_ / "fds.txt"), "clean\n");
}

TEST_F(PosixProcessControlTest, WaitsUntilTheProcessEndsWhateverItsExitCode) {
    for (const std::string exitCommand : {"exit 0", "exit 1", "exit 259", "kill -9 $$"}) {
        fs::remove(dir_ / "done.txt");
        writeScript("pkg.exe", "sleep 0.2\necho done > done.txt\n" + exitCommand);
        std::string error;
        const std::int32_t pid = processes_.startProgram("pkg.exe /q", error);
        ASSERT_NE(pid, 0) << error;

        EXPECT_NE(processes_.WaitForProcess(pid), 0) << exitCommand;
        EXPECT_TRUE(fs::exists(dir_ / "done.txt")) << exitCommand;
        // The child has been reaped: nothing is left to wait for.
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
    EXPECT_EQ(logText(), "");
    EXPECT_FALSE(processes_.quitRequested());
}

TEST_F(PosixProcessControlTest, TheWaitSleepsInsteadOfSpendingProcessorTime) {
    writeScript("pkg.exe", "sleep 0.6");
    std::string error;
    const std::int32_t pid = processes_.startProgram("pkg.exe /q", error);
    ASSERT_NE(pid, 0) << error;
    const double cpuBefore = cpuSecondsOfThisProcess();
    const auto wallBefore = std::chrono::steady_clock::now();
    EXPECT_NE(processes_.WaitForProcess(pid), 0);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;

    EXPECT_GE(wall.count(), 0.5);
    EXPECT_LT(cpuSecondsOfThisProcess() - cpuBefore, 0.05);
}

TEST_F(PosixProcessControlTest, AProcessThatIsAlreadyGoneGivesZeroWithoutALogLine) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);

    EXPECT_EQ(processes_.WaitForProcess(child), 0);
    EXPECT_EQ(logText(), "");
    EXPECT_TRUE(notifier_.notices.empty());
}

TEST_F(PosixProcessControlTest, AFailureIsLoggedAsAnErrorLineAndNeverShown) {
    EXPECT_EQ(processes_.WaitForProcess(-5), 0);
    EXPECT_NE(logText().find(" : ERROR #22 : Invalid argument\r\n"), std::string::npos)
        << logText();

    ScriptedEventLoopWait failing(WaitOutcome::Failed, EIO);
    PosixProcessControl processes(failing, log_);
    EXPECT_EQ(processes.WaitForProcess(getpid()), 0);
    EXPECT_NE(logText().find(" : ERROR #5 : Input/output error\r\n"), std::string::npos)
        << logText();
    EXPECT_TRUE(notifier_.notices.empty());
}

TEST_F(PosixProcessControlTest, AnExitDuringTheWaitLeavesThePackageRunning) {
    writeScript("pkg.exe", "exec sleep 5");
    std::string error;
    const std::int32_t pid = processes_.startProgram("pkg.exe /q", error);
    ASSERT_NE(pid, 0) << error;

    ScriptedEventLoopWait quitting(WaitOutcome::Quit, 0);
    PosixProcessControl processes(quitting, log_);
    EXPECT_EQ(processes.WaitForProcess(pid), 0);
    EXPECT_TRUE(processes.quitRequested());
    EXPECT_TRUE(isRunning(pid));
    EXPECT_EQ(logText(), "");

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace
}  // namespace velmora
