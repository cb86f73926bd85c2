#include <gtest/gtest.h>

#include "update/TransferProgress.h"

namespace velmora {
namespace {

using std::chrono::duration;

TEST(TransferProgressTest, ShowsTotalPercentRateAndTimeLeftWhenTheLengthIsKnown) {
    constexpr std::uint64_t kMiB = 1 << 20;
    EXPECT_EQ(progressText({"20041114-017-i32.exe", 12 * kMiB, 48 * kMiB, duration<double>(4)}),
              "20041114-017-i32.exe  12.0 MiB of 48.0 MiB  25%  3.0 MiB/s  0:12 left");
    EXPECT_EQ(progressText({"p.exe", 1536, 3 * kMiB * 1024, duration<double>(1)}),
              "p.exe  1.5 KiB of 3.0 GiB  0%  1.5 KiB/s  582:32:31 left");
    EXPECT_EQ(progressText({"p.exe", 100, 100, duration<double>(2)}),
              "p.exe  100 B of 100 B  100%  50 B/s  0:00 left");
}

TEST(TransferProgressTest, LeavesOutWhatCannotBeKnown) {
    EXPECT_EQ(progressText({"md5-hash.txt", 0, std::nullopt, duration<double>(0)}),
              "md5-hash.txt  0 B");
    EXPECT_EQ(progressText({"md5-hash.txt", 2048, std::nullopt, duration<double>(2)}),
              "md5-hash.txt  2.0 KiB  1.0 KiB/s");
    EXPECT_EQ(progressText({"md5-hash.txt", 0, 4096, duration<double>(3)}),
              "md5-hash.txt  0 B of 4.0 KiB  0%");
    EXPECT_EQ(progressText({"x", 5000, 10, duration<double>(1)}), "x  4.9 KiB  4.9 KiB/s")
        << "a total below what arrived is no total";
}

}  // namespace
}  // namespace velmora
