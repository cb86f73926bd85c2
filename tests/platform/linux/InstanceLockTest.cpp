#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "linux/InstanceLock.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using Outcome = InstanceLock::Outcome;

// The outcome a separate process gets for the same lock.
Outcome outcomeInChild(const std::filesystem::path& folder) {
    const pid_t child = fork();
    if (child == 0) {
        const InstanceLock lock(folder);
        _exit(static_cast<int>(lock.outcome()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<Outcome>(WEXITSTATUS(status));
}

TEST(InstanceLockTest, OneHolderAtATimeAcrossProcessesUntilReleased) {
    test::TempDir dir;
    const auto folder = dir / "runtime";
    {
        const InstanceLock first(folder);
        ASSERT_EQ(first.outcome(), Outcome::Acquired) << first.problem();
        EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
        EXPECT_EQ(InstanceLock(folder).outcome(), Outcome::HeldElsewhere);
        EXPECT_EQ(outcomeInChild(folder), Outcome::HeldElsewhere);
    }
    EXPECT_EQ(outcomeInChild(folder), Outcome::Acquired);
    EXPECT_EQ(InstanceLock(folder).outcome(), Outcome::Acquired);
}

TEST(InstanceLockTest, StartedProgramsDoNotKeepTheLock) {
    test::TempDir dir;
    pid_t sleeper = 0;
    {
        const InstanceLock lock(dir.path());
        ASSERT_EQ(lock.outcome(), Outcome::Acquired);
        char program[] = "/bin/sleep";
        char seconds[] = "30";
        char* arguments[] = {program, seconds, nullptr};
        ASSERT_EQ(posix_spawn(&sleeper, program, nullptr, nullptr, arguments, environ), 0);
    }
    EXPECT_EQ(InstanceLock(dir.path()).outcome(), Outcome::Acquired);
    kill(sleeper, SIGKILL);
    waitpid(sleeper, nullptr, 0);
}

TEST(InstanceLockTest, AnUnsafeFolderGivesWayToTheNextAndNoneLeavesItUnavailable) {
    test::TempDir dir;
    const auto open = dir / "open";
    std::filesystem::create_directory(open);
    std::filesystem::permissions(open, std::filesystem::perms::all);
    const auto fallback = dir / "fallback";

    const InstanceLock first(std::vector{open, fallback});
    EXPECT_EQ(first.outcome(), Outcome::Acquired);
    EXPECT_TRUE(std::filesystem::exists(fallback / "velmora.lock"));
    EXPECT_FALSE(std::filesystem::exists(open / "velmora.lock"));
    EXPECT_EQ(InstanceLock(std::vector{open, fallback}).outcome(), Outcome::HeldElsewhere);

    const auto linked = dir / "linked";
    std::filesystem::create_directory_symlink(fallback, linked);
    const InstanceLock none(std::vector{open, linked});
    EXPECT_EQ(none.outcome(), Outcome::Unavailable);
    EXPECT_NE(none.problem().find(open.string() + ": writable by others"), std::string::npos)
        << none.problem();
    EXPECT_NE(none.problem().find(linked.string()), std::string::npos) << none.problem();
}

TEST(InstanceLockTest, FoldersOthersCouldTamperWithAreNotUsed) {
    test::TempDir dir;
    const auto open = dir / "open";
    std::filesystem::create_directory(open);
    std::filesystem::permissions(open, std::filesystem::perms::all);
    const InstanceLock inOpenFolder(open);
    EXPECT_EQ(inOpenFolder.outcome(), Outcome::Unavailable);
    EXPECT_NE(inOpenFolder.problem().find("writable by others"), std::string::npos);

    const auto shared = dir / "shared";
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(
        shared, std::filesystem::perms::owner_all | std::filesystem::perms::group_all);
    EXPECT_EQ(InstanceLock(shared).outcome(), Outcome::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(shared / "velmora.lock"));

    const auto linked = dir / "linked";
    std::filesystem::create_directory_symlink(dir.path(), linked);
    EXPECT_EQ(InstanceLock(linked).outcome(), Outcome::Unavailable);

    const auto linkedFile = dir / "private";
    std::filesystem::create_directory(linkedFile);
    std::filesystem::permissions(linkedFile, std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(dir / "elsewhere", linkedFile / "velmora.lock");
    EXPECT_EQ(InstanceLock(linkedFile).outcome(), Outcome::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));

    if (geteuid() == 0) {
        const auto foreign = dir / "foreign";
        std::filesystem::create_directory(foreign);
        std::filesystem::permissions(foreign, std::filesystem::perms::owner_all);
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_EQ(InstanceLock(foreign).outcome(), Outcome::Unavailable);
    }
}

}  // namespace
}  // namespace velmora
