#include <gtest/gtest.h>

#include "ports/SpecialFolder.h"
#include "support/ScopedEnv.h"

namespace velmora {
namespace {

using test::ScopedEnv;

TEST(SpecialFolderTest, CommonFilesComesFromTheVariableWithoutTrailingSeparator) {
    {
        ScopedEnv common("VELMORA_COMMON_FILES", "/srv/common//");
        EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesCommon), "/srv/common");
    }
    {
        ScopedEnv common("VELMORA_COMMON_FILES", "");
        EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesCommon), "/opt");
    }
    {
        ScopedEnv common("VELMORA_COMMON_FILES", std::nullopt);
        EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesCommon), "/opt");
    }
}

TEST(SpecialFolderTest, UnknownFoldersGiveEmptyText) {
    EXPECT_EQ(GetSpecialFolder(0x26), "");
    EXPECT_EQ(GetSpecialFolder(-1), "");
}

}  // namespace
}  // namespace velmora
