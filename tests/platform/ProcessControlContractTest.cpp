#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "ProcessControlContract.h"

namespace velmora::test {
namespace {

using namespace std::chrono_literals;

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_P(ProcessControlContract, ThePackageGetsItsOneArgumentAndTheWaitLastsUntilItEnds) {
    for (const std::string argument : {"/q", "/d C:\\a b\\\" x"}) {
        const auto record = subject->folder() / "record.txt";
        std::filesystem::remove(record);
        const auto package = subject->saveRecordingPackage(record, 300ms);
        const std::int32_t processId = startOwn(processes, *package, argument, error);
        ASSERT_NE(processId, 0) << error;

        EXPECT_NE(processes.waitForProcess(processId), 0);
        EXPECT_EQ(contentsOf(record), argument + "\ndone\n");
    }
    EXPECT_FALSE(processes.quitRequested());
    EXPECT_EQ(subject->logText(), "");
}

TEST_P(ProcessControlContract, APackageThatCannotBeStartedGivesZeroAndTheReason) {
    const auto nonProgram = subject->saveNonProgram();
    EXPECT_EQ(startOwn(processes, *nonProgram, "/q", error), 0);
    EXPECT_NE(error, "");

    error.clear();
    const auto unopened = subject->unopenedPackage();
    EXPECT_EQ(startOwn(processes, *unopened, "/q", error), 0);
    EXPECT_NE(error, "");
}

TEST_P(ProcessControlContract, AnEndRequestEndsTheWaitWithQuitAndLeavesThePackageRunning) {
    const auto record = subject->folder() / "record.txt";
    const auto package = subject->saveRecordingPackage(record, 10s);
    const std::int32_t processId = startOwn(processes, *package, "/q", error);
    ASSERT_NE(processId, 0) << error;

    subject->requestEnd();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(processes.waitForProcess(processId), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(processes.quitRequested());
    EXPECT_TRUE(subject->isRunning(processId));
    EXPECT_EQ(subject->logText(), "");
    subject->kill(processId);
}

}  // namespace
}  // namespace velmora::test
