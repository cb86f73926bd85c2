#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif
#include <filesystem>

#include "log/EventLog.h"
#include "ports/Utf8Path.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace velmora {
namespace {

using test::fixedTime;
using test::readFile;

class EventLogTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path primary = dir / "app" / "velmora.log";
    std::filesystem::path fallback = dir / "state" / "velmora" / "velmora.log";
    test::RecordingNotifier notifier;

    EventLog makeLog() { return EventLog({primary, fallback}, notifier, fixedTime); }

    void SetUp() override { std::filesystem::create_directories(primary.parent_path()); }
};

TEST_F(EventLogTest, LineCarriesDateTimeTextAndCrLf) {
    EXPECT_EQ(EventLog::formatLine(fixedTime(), "X"), "2004/11/14 9:05:07 : X\r\n");
    EXPECT_EQ(EventLog::formatLine({"", ""}, ""), "  : \r\n");
}

TEST_F(EventLogTest, BothFlagsFalseTouchNothing) {
    EventLog log = makeLog();
    log.report("nothing", false, false);
    EXPECT_FALSE(std::filesystem::exists(primary));
    EXPECT_FALSE(std::filesystem::exists(fallback));
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(EventLogTest, LogOnlyAppendsLinesInOrderWithoutBox) {
    // A fallback log left from a time the main one could not be written.
    std::filesystem::create_directories(fallback.parent_path());
    test::writeFile(fallback, "earlier\r\n");
    EventLog log = makeLog();
    log.report("ウィルス定義を 2004/11/14 rev. 17 に更新しました.", false, true);
    log.report("", false, true);
    log.report("first\r\nsecond", false, true);
    EXPECT_EQ(readFile(primary),
              "2004/11/14 9:05:07 : ウィルス定義を 2004/11/14 rev. 17 に更新しました.\r\n"
              "2004/11/14 9:05:07 : \r\n"
              "2004/11/14 9:05:07 : first\r\nsecond\r\n");
    EXPECT_EQ(readFile(fallback), "earlier\r\n") << "the fallback is only for when the log fails";
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(EventLogTest, BoxOnlyLeavesLogFileUntouched) {
    EventLog log = makeLog();
    log.report("box", true, false);
    EXPECT_EQ(notifier.notices, std::vector<std::string>{"box"});
    EXPECT_FALSE(std::filesystem::exists(primary));
}

TEST_F(EventLogTest, LineIsOnDiskBeforeTheBoxOpens) {
    EventLog log = makeLog();
    std::string seenWhileBoxUp;
    notifier.onNotice = [&](const std::string&) { seenWhileBoxUp = readFile(primary); };
    log.report("both", true, true);
    EXPECT_EQ(seenWhileBoxUp, "2004/11/14 9:05:07 : both\r\n");
    EXPECT_EQ(notifier.notices.size(), 1u);
}

TEST_F(EventLogTest, DirectoryInPlaceOfTheFileFallsBackToStateFolder) {
    std::filesystem::create_directories(primary);
    EventLog log = makeLog();
    log.report("moved", false, true);
    EXPECT_EQ(readFile(fallback), "2004/11/14 9:05:07 : moved\r\n");
}

TEST_F(EventLogTest, NeitherFileWritableFallsBackToStandardError) {
    std::filesystem::create_directories(primary);
    std::filesystem::create_directories(fallback);
    EventLog log = makeLog();
    ::testing::internal::CaptureStderr();
    log.report("last resort", false, true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "2004/11/14 9:05:07 : last resort\r\n");
}

// Both need POSIX: a user without rights who is not root, and a file-size limit that stands in
// for a full disk. Windows has neither, and its fallback is covered by the program log's tests.
#ifndef _WIN32
TEST_F(EventLogTest, ReadOnlyFolderFallsBackForAnOrdinaryUser) {
    test::openToEveryone(dir.path());
    std::filesystem::permissions(primary.parent_path(),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const int status = test::runUnprivileged([&] {
        EventLog log = makeLog();
        log.report("read-only", false, true);
        return readFile(fallback) == "2004/11/14 9:05:07 : read-only\r\n" ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(std::filesystem::exists(primary));
}

TEST_F(EventLogTest, LineThatDoesNotFitIsCutOffAgainAndWrittenWholeToTheFallback) {
    const std::string earlier = "2004/11/13 9:05:07 : earlier\r\n";
    test::writeFile(primary, earlier);
    // A file-size limit a few bytes past the log's end stands in for a full disk.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = earlier.size() + 5;
        const rlimit fileSize{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
            _exit(10);
        }
        EventLog log = makeLog();
        log.report("does not fit", false, true);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(primary), earlier);
    EXPECT_EQ(readFile(fallback), "2004/11/14 9:05:07 : does not fit\r\n");
}
#endif

TEST(LogFileBesideTest, JoinsFolderBaseNameAndSuffixAsTheyAre) {
    EXPECT_EQ(logFileBeside("/usr/bin", "velmora"), "/usr/bin/velmora.log");
    EXPECT_EQ(logFileBeside("/opt/tools", "renamed"), "/opt/tools/renamed.log");
    // The folder's name is UTF-8 on every system, also where the code page is another.
    // Compared as UTF-8 in std::string: Debian's GoogleTest library cannot print a u8string.
    EXPECT_EQ(utf8Text(logFileBeside("/opt/\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB", "velmora")),
              utf8Text(std::filesystem::path(u8"/opt/ツール") / u8"velmora.log"));
}

}  // namespace
}  // namespace velmora
