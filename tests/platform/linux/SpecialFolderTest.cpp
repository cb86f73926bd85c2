#include <gtest/gtest.h>

#include "linux/LinuxSpecialFolders.h"
#include "support/ScopedEnv.h"

namespace velmora {
namespace {

using test::ScopedEnv;

TEST(SpecialFolderTest, CommonFilesComesFromTheVariableWithoutTrailingSeparator) {
    {
        ScopedEnv common("VELMORA_COMMON_FILES", "/srv/common//");
        EXPECT_EQ(LinuxSpecialFolders().commonProgramFiles(), "/srv/common");
    }
    {
        ScopedEnv common("VELMORA_COMMON_FILES", "");
        EXPECT_EQ(LinuxSpecialFolders().commonProgramFiles(), "/opt");
    }
    {
        ScopedEnv common("VELMORA_COMMON_FILES", std::nullopt);
        EXPECT_EQ(LinuxSpecialFolders().commonProgramFiles(), "/opt");
    }
}

TEST(SpecialFolderTest, AGivenCommonFolderOverridesTheVariable) {
    ScopedEnv common("VELMORA_COMMON_FILES", "/srv/common");
    EXPECT_EQ(LinuxSpecialFolders("/var/common/").commonProgramFiles(), "/var/common");
}

}  // namespace
}  // namespace velmora
