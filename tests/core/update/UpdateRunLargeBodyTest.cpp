#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/update/UpdateRunRig.h"
#include "update/UpdateService.h"

namespace velmora {
namespace {

// A gibibyte travels through the loopback, memory, the digest and the disk: about ten
// seconds on a loaded two-core machine, so it is labelled slow.
TEST(UpdateRunLargeBodyTest, AGibibyteOfTheWrongBytesIsRejectedAndRemoved) {
    test::UpdateRunRig rig;
    rig.publish("20041114-017-i32.exe", std::string(std::size_t{1} << 30, 'x'),
                "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(rig.runByButton().outcome, UpdateOutcome::DigestMismatch);
    EXPECT_EQ(rig.notifier.notices,
              std::vector<std::string>{"ウィルス定義ファイル(20041114-017-i32.exe)が不正のため、"
                                       "更新を中止しました.(MD5hashエラー)."});
    EXPECT_EQ(rig.installed(), "");
    EXPECT_TRUE(std::filesystem::is_empty(rig.downloads()));
}

}  // namespace
}  // namespace velmora
