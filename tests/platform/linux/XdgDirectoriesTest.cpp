#include <gtest/gtest.h>

#include "linux/XdgDirectories.h"
#include "support/ScopedEnv.h"

namespace velmora {
namespace {

using test::ScopedEnv;

TEST(XdgDirectoriesTest, AbsoluteVariablesWinAndAnythingElseFallsBackUnderHome) {
    ScopedEnv home("HOME", "/home/tester");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
        ScopedEnv state("XDG_STATE_HOME", "/srv/state");
        EXPECT_EQ(xdgConfigHome(), "/srv/config");
        EXPECT_EQ(xdgStateHome(), "/srv/state");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "");
        ScopedEnv state("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(xdgConfigHome(), "/home/tester/.config");
        EXPECT_EQ(xdgStateHome(), "/home/tester/.local/state");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(xdgConfigHome(), "/home/tester/.config");
    }
}

TEST(XdgDirectoriesTest, RuntimeFolderWithoutVariableIsPerUserUnderTmp) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(xdgRuntimeDir().parent_path(), "/tmp");
    EXPECT_EQ(xdgRuntimeDir().filename().string().rfind("velmora-", 0), 0u);
}

}  // namespace
}  // namespace velmora
