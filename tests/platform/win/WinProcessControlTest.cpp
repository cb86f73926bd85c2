#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "ProcessControlContract.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "win/MessageLoopWait.h"
#include "win/UniqueHandle.h"
#include "win/WinError.h"
#include "win/WinPackageFile.h"
#include "win/WinProcessControl.h"
#include "win/WinSecurity.h"
#include "win/WinText.h"

namespace velmora {

namespace fs = std::filesystem;

namespace test {
namespace {

// The stand-in package is built beside this test program.
fs::path testChildProgram() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / "velmora_test_child.exe";
}

class WinProcessControlSubject final : public ProcessControlSubject {
  public:
    ProcessControl& processes() override { return processes_; }

    std::unique_ptr<SavedPackage> saveRecordingPackage(const fs::path& record,
                                                       std::chrono::milliseconds linger) override {
        ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_RECORD", record.c_str());
        ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_LINGER_MS",
                                  std::to_wstring(linger.count()).c_str());
        return save(readFile(testChildProgram()));
    }
    std::unique_ptr<SavedPackage> saveNonProgram() override { return save("not a program\n"); }
    std::unique_ptr<SavedPackage> unopenedPackage() override {
        return std::make_unique<UnopenedPackage>();
    }
    void requestEnd() override { ::SetEvent(endRequest_.get()); }
    bool isRunning(std::int32_t processId) override {
        const UniqueHandle process(
            ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId)));
        return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    }
    void kill(std::int32_t processId) override {
        const UniqueHandle process(
            ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(processId)));
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
    std::string logText() override {
        return fs::exists(dir_ / "velmora.log") ? readFile(dir_ / "velmora.log") : "";
    }
    const fs::path& folder() const override { return dir_.path(); }

  private:
  public:
    // Each package under its own name: a package that has just ended may still be mapped.
    std::unique_ptr<SavedPackage> save(const std::string& bytes) {
        std::string error;
        const auto writer = files_.create("pkg" + std::to_string(++saved_) + ".exe", error);
        const std::span piece(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        if (!writer || !writer->append(piece, error)) {
            throw std::runtime_error("cannot save the package: " + error);
        }
        auto package = writer->finish(error);
        if (!package) {
            throw std::runtime_error("cannot keep the package: " + error);
        }
        return package;
    }

  private:
    TempDir dir_;
    WinPackageFile files_{dir_ / "Velmora" / "Packages"};
    int saved_ = 0;
    UniqueHandle endRequest_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    MessageLoopWait events_{WaitHandle{reinterpret_cast<WaitHandle::Native>(endRequest_.get())}};
    RecordingNotifier notifier_;
    EventLog log_{{dir_ / "velmora.log", dir_ / "fallback.log"}, notifier_, fixedTime};
    WinProcessControl processes_{events_, log_};
};

INSTANTIATE_TEST_SUITE_P(Win, ProcessControlContract,
                         ::testing::Values(ProcessControlMaker{
                             "Win", [] { return std::make_unique<WinProcessControlSubject>(); }}));

}  // namespace
}  // namespace test

namespace {

class FailingWait final : public EventLoopWait {
  public:
    WaitOutcome waitFor(WaitHandle) override {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return WaitOutcome::Failed;
    }
};

// The package starts in its own folder as its bare file name and the argument, with the
// program's own rights and, through the shell's "runas", with an administrator's (under
// Wine without a prompt); the wait is the same for both.
TEST(WinProcessControlTest, ThePackageRunsInItsFolderAsItsBareNameWithEitherRights) {
    test::WinProcessControlSubject subject;
    const fs::path where = subject.folder() / "where.txt";
    ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_WHERE", where.c_str());
    for (const StartRights rights : {StartRights::Own, StartRights::Administrator}) {
        SCOPED_TRACE(rights == StartRights::Own ? "own rights" : "an administrator's");
        fs::remove(where);
        const auto package = subject.saveRecordingPackage(subject.folder() / "record.txt",
                                                          std::chrono::milliseconds(0));
        std::wstring path(MAX_PATH, L'\0');
        path.resize(::GetFinalPathNameByHandleW(reinterpret_cast<HANDLE>(package->handle()),
                                                path.data(), MAX_PATH, 0));
        const PackageStart started = subject.processes().startPackage(*package, "/q", rights);
        ASSERT_EQ(started.status, PackageStart::Status::Started) << started.error;
        EXPECT_NE(subject.processes().waitForProcess(started.processId), 0);

        const std::string recorded = test::readFile(where);
        const fs::path folder = fs::path(path).parent_path();
        const std::string folderText =
            narrow(folder.wstring().substr(4));  // without the long-path prefix
        EXPECT_EQ(recorded.substr(0, recorded.find('\n')), folderText);
        if (rights == StartRights::Own) {
            EXPECT_EQ(recorded.substr(recorded.find('\n') + 1), package->fileName() + " /q\n");
        }
    }
    ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_WHERE", nullptr);
}

// An elevated program (Wine's always is) needs no more rights; otherwise what counts is
// whether a file can be made in the folder, or in the nearest one above it that exists.
TEST(WinProcessControlTest, OwnRightsSufficeForAFolderThatCanBeWrittenOrUnderOne) {
    test::WinProcessControlSubject subject;
    ProcessControl& processes = subject.processes();
    const std::string folder = narrow(subject.folder().wstring());
    EXPECT_TRUE(processes.ownRightsSuffice(folder + "\\Corvane Shared\\Definitions\\"));
    EXPECT_TRUE(fs::is_empty(subject.folder())) << "the probe file is gone";
    test::writeFile(subject.folder() / "file", "");
    EXPECT_EQ(processes.ownRightsSuffice(folder + "\\file\\Definitions"), runsElevated());
}

TEST(WinProcessControlTest, AFailedWaitIsLoggedAsAnErrorLineAndNeverShown) {
    test::TempDir dir;
    test::RecordingNotifier notifier;
    EventLog log({dir / "velmora.log", dir / "fallback.log"}, notifier, test::fixedTime);
    FailingWait failing;
    WinProcessControl processes(failing, log);

    EXPECT_EQ(processes.waitForProcess(static_cast<std::int32_t>(::GetCurrentProcessId())), 0);
    EXPECT_NE(test::readFile(dir / "velmora.log")
                  .find(" : ERROR #8 : " + describeWinError(ERROR_NOT_ENOUGH_MEMORY) + "\r\n"),
              std::string::npos);
    EXPECT_TRUE(notifier.notices.empty());
    EXPECT_FALSE(processes.quitRequested());
}

}  // namespace
}  // namespace velmora
