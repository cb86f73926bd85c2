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

class NamedPackage final : public SavedPackage {
  public:
    NamedPackage(std::string name, std::intptr_t handle)
        : name_(std::move(name)), handle_(handle) {}
    const std::string& fileName() const override { return name_; }
    std::intptr_t handle() const override { return handle_; }

  private:
    std::string name_;
    std::intptr_t handle_;
};

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
        return std::make_unique<NamedPackage>("pkg.exe", 0);
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

    TempDir dir_;
    WinPackageFile files_{dir_.path()};
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
