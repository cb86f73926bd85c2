#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ProcessControlContract.h"
#include "linux/PollEventLoopWait.h"
#include "linux/PosixPackageFile.h"
#include "linux/PosixProcessControl.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/SavedScript.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"

namespace velmora {

namespace test {
namespace {

// A saved package that holds no open file.

namespace fs = std::filesystem;

// The pipe a termination signal writes to, as TerminationSignals makes it.
struct EndRequestPipe {
    EndRequestPipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot make the end-request pipe");
        }
        readEnd = ends[0];
        writeEnd = ends[1];
    }
    ~EndRequestPipe() {
        ::close(readEnd);
        ::close(writeEnd);
    }
    EndRequestPipe(const EndRequestPipe&) = delete;
    EndRequestPipe& operator=(const EndRequestPipe&) = delete;

    int readEnd = -1;
    int writeEnd = -1;
};

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class PosixProcessControlSubject final : public ProcessControlSubject {
  public:
    ProcessControl& processes() override { return processes_; }
    std::unique_ptr<SavedPackage> saveRecordingPackage(const fs::path& record,
                                                       std::chrono::milliseconds linger) override {
        const std::string file = shellQuoted(record.string());
        return saveScript("pkg.exe", "printf '%s\\n' \"$@\" > " + file + "\nsleep " +
                                         std::to_string(linger.count() / 1000.0) +
                                         "\necho done >> " + file);
    }
    std::unique_ptr<SavedPackage> saveNonProgram() override {
        PosixPackageFile files;
        std::string error;
        auto writer = files.create("text.exe", error);
        const std::string text = "not a program\n";
        if (!writer ||
            !writer->append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                            error)) {
            throw std::runtime_error("cannot write text.exe: " + error);
        }
        return writer->finish(error);
    }
    std::unique_ptr<SavedPackage> unopenedPackage() override {
        return std::make_unique<UnopenedPackage>();
    }
    void requestEnd() override {
        const char request = 1;
        static_cast<void>(::write(endRequests_.writeEnd, &request, 1));
    }
    bool isRunning(std::int32_t processId) override { return ::kill(processId, 0) == 0; }
    void kill(std::int32_t processId) override {
        ::kill(processId, SIGKILL);
        ::waitpid(processId, nullptr, 0);
    }
    std::string logText() override {
        return fs::exists(dir_ / "velmora.log") ? readFile(dir_ / "velmora.log") : "";
    }
    const fs::path& folder() const override { return dir_.path(); }

  private:
    TempDir dir_;
    ScopedWorkingDirectory cwd_{dir_.path()};
    EndRequestPipe endRequests_;
    PollEventLoopWait events_{endRequests_.readEnd};
    RecordingNotifier notifier_;
    EventLog log_{{dir_ / "velmora.log", dir_ / "fallback.log"}, notifier_, fixedTime};
    PosixProcessControl processes_{events_, log_};
};

INSTANTIATE_TEST_SUITE_P(Posix, ProcessControlContract,
                         ::testing::Values(ProcessControlMaker{
                             "Posix",
                             [] { return std::make_unique<PosixProcessControlSubject>(); }}));

}  // namespace
}  // namespace test

namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// Stands in for an event loop that cannot be made to fail or quit on demand.
class ScriptedEventLoopWait final : public EventLoopWait {
  public:
    ScriptedEventLoopWait(WaitOutcome outcome, int errorNumber)
        : outcome_(outcome), errorNumber_(errorNumber) {}
    WaitOutcome waitFor(WaitHandle) override {
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
    std::int32_t startScript(const std::string& body, const std::string& argument = "/q") {
        const std::unique_ptr<SavedPackage> saved = test::saveScript("pkg.exe", body);
        std::string error;
        const std::int32_t pid = test::startOwn(processes_, *saved, argument, error);
        EXPECT_NE(pid, 0) << error;
        return pid;
    }
    std::string logText() const {
        return fs::exists(dir_ / "velmora.log") ? readFile(dir_ / "velmora.log") : "";
    }
    bool isRunning(pid_t pid) const { return kill(pid, 0) == 0; }

    test::TempDir dir_;
    test::ScopedWorkingDirectory cwd_{dir_.path()};
    test::RecordingNotifier notifier_;
    EventLog log_{{dir_ / "velmora.log", dir_ / "fallback.log"}, notifier_, test::fixedTime};
    PollEventLoopWait events_;
    PosixProcessControl processes_{events_, log_};
};

// The package gets its one argument as it is, no shell, and nothing of Velmora's own: its
// standard streams are the null device and no other descriptor of Velmora's is open in it.
TEST_F(PosixProcessControlTest, ThePackageGetsItsArgumentTheNullDeviceAndNoOtherDescriptor) {
    const int leaked = fcntl(STDOUT_FILENO, F_DUPFD, 57);  // no close-on-exec
    ASSERT_GE(leaked, 57);
    const std::int32_t pid = startScript(
        "printf '%s|' \"$@\" > args.txt\n"
        "streams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
        "echo \"$streams\" > streams.txt\n"
        "if [ -e /proc/$$/fd/" +
            std::to_string(leaked) +
            " ]; then echo leaked > fds.txt; else echo clean > fds.txt; fi",
        "/q;touch x");
    ASSERT_NE(pid, 0);
    EXPECT_NE(processes_.waitForProcess(pid), 0);
    close(leaked);

    EXPECT_EQ(readFile(dir_ / "args.txt"), "/q;touch x|");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    EXPECT_EQ(readFile(dir_ / "streams.txt"), "/dev/null\n/dev/null\n/dev/null\n");
    EXPECT_EQ(readFile(dir_ / "fds.txt"), "clean\n");
    EXPECT_EQ(logText(), "");
}

// Another user who may write to the folder could put other bytes under the package's name
// after they were checked: the file that was written is the one that runs.
TEST_F(PosixProcessControlTest, TheSavedFileRunsWhateverNowStandsUnderItsName) {
    const std::unique_ptr<SavedPackage> saved = test::saveScript("pkg.exe", "echo saved > ran.txt");
    writeFile(dir_ / "impostor", "#!/bin/sh\necho impostor > ran.txt\n");
    fs::permissions(dir_ / "impostor", fs::perms::owner_all);
    fs::rename(dir_ / "impostor", dir_ / "pkg.exe");

    std::string error;
    const std::int32_t pid = test::startOwn(processes_, *saved, "/q", error);
    ASSERT_NE(pid, 0) << error;
    EXPECT_NE(processes_.waitForProcess(pid), 0);
    EXPECT_EQ(readFile(dir_ / "ran.txt"), "saved\n");
}

TEST_F(PosixProcessControlTest, WaitsUntilTheProcessEndsWhateverItsExitCode) {
    for (const std::string exitCommand : {"exit 0", "exit 1", "exit 259", "kill -9 $$"}) {
        fs::remove(dir_ / "done.txt");
        const std::int32_t pid = startScript("sleep 0.2\necho done > done.txt\n" + exitCommand);
        ASSERT_NE(pid, 0);

        EXPECT_NE(processes_.waitForProcess(pid), 0) << exitCommand;
        EXPECT_TRUE(fs::exists(dir_ / "done.txt")) << exitCommand;
        // The child has been reaped: nothing is left to wait for.
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
    EXPECT_EQ(logText(), "");
    EXPECT_FALSE(processes_.quitRequested());
}

TEST_F(PosixProcessControlTest, TheWaitSleepsInsteadOfSpendingProcessorTime) {
    const std::int32_t pid = startScript("sleep 0.6");
    ASSERT_NE(pid, 0);
    const double cpuBefore = cpuSecondsOfThisProcess();
    const auto wallBefore = std::chrono::steady_clock::now();
    EXPECT_NE(processes_.waitForProcess(pid), 0);
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

    EXPECT_EQ(processes_.waitForProcess(child), 0);
    EXPECT_EQ(logText(), "");
    EXPECT_TRUE(notifier_.notices.empty());
}

TEST_F(PosixProcessControlTest, AFailureIsLoggedAsAnErrorLineAndNeverShown) {
    EXPECT_EQ(processes_.waitForProcess(-5), 0);
    EXPECT_NE(logText().find(" : ERROR #22 : Invalid argument\r\n"), std::string::npos)
        << logText();

    ScriptedEventLoopWait failing(WaitOutcome::Failed, EIO);
    PosixProcessControl processes(failing, log_);
    EXPECT_EQ(processes.waitForProcess(getpid()), 0);
    EXPECT_NE(logText().find(" : ERROR #5 : Input/output error\r\n"), std::string::npos)
        << logText();
    EXPECT_TRUE(notifier_.notices.empty());
}

TEST_F(PosixProcessControlTest, AnExitDuringTheWaitLeavesThePackageRunning) {
    const std::int32_t pid = startScript("exec sleep 5");
    ASSERT_NE(pid, 0);

    ScriptedEventLoopWait quitting(WaitOutcome::Quit, 0);
    PosixProcessControl processes(quitting, log_);
    EXPECT_EQ(processes.waitForProcess(pid), 0);
    EXPECT_TRUE(processes.quitRequested());
    EXPECT_TRUE(isRunning(pid));
    EXPECT_EQ(logText(), "");

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace
}  // namespace velmora
