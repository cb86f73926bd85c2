#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/update/UpdateNotices.h"
#include "core/update/UpdateRunRig.h"
#include "update/UpdateService.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::kFailure2;
using test::kPackage;
using test::kUpdated;
using test::readFile;
using test::UpdateRunRig;

// Packages that misbehave as real processes do, met by a whole run on the real adapters.
class PackageProcessRunTest : public ::testing::Test {
  protected:
    UpdateRunRig rig_;
};

TEST_F(PackageProcessRunTest, MisbehavingPackagesEndTheRunWithTheNoticeOfWhatTheyLeft) {
    const fs::path grandchild = rig_.dir / "grandchild.pid";
    struct Case {
        std::string name;
        std::string script;
        std::string notice;
    };
    const std::string install = UpdateRunRig::installingPackage("20041114.017");
    const std::vector<Case> cases{
        {"crashes", "#!/bin/sh\nkill -SEGV $$\n", kFailure2},
        {"crashes after installing", install + "kill -SEGV $$\n", kUpdated},
        {"exits with 259", install + "exit 259\n", kUpdated},
        // The wait is for the package, not for what it leaves running with its output.
        {"forks and exits", install + "sleep 30 &\necho $! > '" + grandchild.string() + "'\n",
         kUpdated},
        {"deletes its own file", install + "rm -f \"$0\"\n", kUpdated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(rig_.definitions());
        fs::create_directories(rig_.definitions());
        rig_.notifier.notices.clear();
        rig_.publish(kPackage, c.script);
        const auto started = std::chrono::steady_clock::now();
        rig_.runByButton();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
        EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{c.notice});
        EXPECT_TRUE(fs::is_empty(rig_.downloads()));
    }
    ASSERT_TRUE(fs::exists(grandchild));
    const pid_t left = static_cast<pid_t>(std::stol(readFile(grandchild)));
    EXPECT_EQ(kill(left, 0), 0) << "what the package started is left alone";
    kill(left, SIGKILL);
}

}  // namespace
}  // namespace velmora
