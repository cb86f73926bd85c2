#include <gtest/gtest.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "ChildProcess.h"
#include "linux/AtomicFile.h"
#include "support/TempDir.h"

namespace velmora::test {
namespace {

using namespace std::chrono_literals;

TEST(FileLockTest, WaitsForAShortHolderAndGivesUpOnAStuckOne) {
    TempDir dir;
    const auto lockFile = dir / "x.lock";
    {
        const FileLock held(lockFile, 1s);
        const auto started = std::chrono::steady_clock::now();
        try {
            const FileLock second(lockFile, 100ms);
            ADD_FAILURE() << "a held lock was taken twice";
        } catch (const std::system_error& failure) {
            EXPECT_EQ(failure.code(), std::errc::resource_unavailable_try_again);
        }
        EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    ChildProcess holder([&] {
        const FileLock held(lockFile, 1s);
        if (::write(ready[1], "x", 1) != 1) {
            return 1;
        }
        std::this_thread::sleep_for(200ms);
        return 0;
    });
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    EXPECT_NO_THROW(FileLock(lockFile, 5s));
    EXPECT_EQ(holder.wait(), 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace velmora::test
