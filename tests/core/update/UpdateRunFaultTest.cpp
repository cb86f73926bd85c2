#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/update/UpdateNotices.h"
#include "core/update/UpdateRunRig.h"
#include "support/Unprivileged.h"
#include "update/UpdateRun.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::HttpResponse;
using test::kDownloadFailed;
using test::kFailure2;
using test::kMismatch;
using test::kPackage;
using test::kUpdated;
using test::readFile;
using test::UpdateRunRig;

// Faults of the server and of the package, met by a whole run with real processes and
// files. The fetch uses a receive time-out of one second and a speed floor of 4 KiB/s over
// two seconds so that a stall or a trickle is short.
class UpdateRunFaultTest : public ::testing::Test {
  protected:
    void run() {
        UpdateRunProcedures procedures = rig_.procedures();
        procedures.FindLatestPackage = [&](Flavour f, const Flag16& s, const Flag16& w) {
            return finder_.FindLatestPackage(f, s, w);
        };
        UpdateRun updateRun(rig_.observer, quickFetcher_, rig_.packageFile, rig_.processes,
                            rig_.log, procedures);
        updateRun.UpdateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), kTrue, kTrue);
        lastOutcome_ = updateRun.lastOutcome();
    }

    // A package that installs, padded so that a part of it is a real part.
    static std::string paddedPackage(const std::string& script) {
        return script + "exit 0\n" + std::string(256 * 1024, '#');
    }

    UpdateRunRig rig_;
    CurlFetcher quickFetcher_{
        {std::chrono::milliseconds(3000), std::chrono::seconds(1), 4096, std::chrono::seconds(2)}};
    LatestPackageFinder finder_{quickFetcher_, rig_.log};
    UpdateOutcome lastOutcome_ = UpdateOutcome::NotRun;
};

TEST_F(UpdateRunFaultTest, ServerFaultsDuringTheDownloadInstallNothingAndUnlockTheWindow) {
    const std::string body = paddedPackage(UpdateRunRig::installingPackage("20041114.017"));
    struct Case {
        std::string name;
        HttpResponse response;
        std::string notice;
        UpdateOutcome outcome;
    };
    HttpResponse headersOnly = HttpResponse::ok(body);
    headersOnly.bodyBytesToSend = 0;
    // What arrived before the fault is only a part: the download failed, and the part
    // written to the file is removed.
    const std::vector<Case> cases{
        {"reset mid-body", HttpResponse::ok(body).thenReset(body.size() / 2), kDownloadFailed,
         UpdateOutcome::DownloadFailed},
        {"stall past the receive time-out", HttpResponse::ok(body).thenStall(body.size() / 2),
         kDownloadFailed, UpdateOutcome::DownloadFailed},
        {"short of its announced length", HttpResponse::ok(body).declaredLength(body.size() + 10),
         kDownloadFailed, UpdateOutcome::DownloadFailed},
        {"trickling below the speed floor", HttpResponse::ok(body).thenTrickle(1000, 100, 100),
         kDownloadFailed, UpdateOutcome::DownloadFailed},
        {"headers only", headersOnly, kDownloadFailed, UpdateOutcome::DownloadFailed},
    };
    rig_.startUp();
    const std::map<std::string, bool> before = rig_.enabledStates();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig_.notifier.notices.clear();
        rig_.publish(kPackage, body);
        rig_.server.on(std::string(UpdateRunRig::kPackagesPath) + kPackage, c.response);
        const auto started = std::chrono::steady_clock::now();
        run();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
        EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{c.notice});
        EXPECT_EQ(lastOutcome_, c.outcome);
        EXPECT_EQ(rig_.installed(), "");
        EXPECT_TRUE(fs::is_empty(rig_.downloads()));
        EXPECT_EQ(rig_.enabledStates(), before);
    }
}

// A list cut inside its newest entry once made a run take an older entry for the newest
// and report "already up to date". A list that does not arrive whole, or that is larger
// than any list can be, is a failed download of the list.
TEST_F(UpdateRunFaultTest, AListThatDoesNotArriveWholeOrIsTooLargeIsNotDownloaded) {
    fs::create_directory(rig_.definitions() / "20041114.017");
    const std::string list =
        "0123456789ABCDEF0123456789ABCDEF 20041114-017-i32.exe\r\n"
        "FEDCBA9876543210FEDCBA9876543210 20041120-001-i32.exe\r\n";
    const std::string cut =
        "0123456789ABCDEF0123456789ABCDEF 20041114-017-i32.exe\r\n"
        "FEDCBA9876543210FEDCBA98765";
    const std::string huge = list + std::string((1u << 20) - list.size() + 1, ' ');
    const std::vector<std::pair<std::string, HttpResponse>> cases{
        {"short of its announced length", HttpResponse::ok(cut).declaredLength(list.size())},
        {"reset inside an entry", HttpResponse::ok(list).thenReset(cut.size())},
        {"stalled inside an entry", HttpResponse::ok(list).thenStall(cut.size())},
        {"announced larger than a list can be", HttpResponse::ok(huge)},
        {"larger than a list can be, unannounced", HttpResponse::ok(huge).withoutLength()},
    };
    rig_.startUp();
    for (const auto& [name, response] : cases) {
        SCOPED_TRACE(name);
        rig_.notifier.notices.clear();
        rig_.server.on(UpdateRunRig::kListPath, response);
        run();
        ASSERT_EQ(rig_.notifier.notices.size(), 1u);
        EXPECT_TRUE(rig_.notifier.notices[0].ends_with("/md5-hash.txt をダウンロードできません."))
            << rig_.notifier.notices[0];
        EXPECT_EQ(lastOutcome_, UpdateOutcome::NoPackageInformation);
    }
}

TEST_F(UpdateRunFaultTest, MisbehavingPackagesEndTheRunWithTheNoticeOfWhatTheyLeft) {
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
    rig_.startUp();
    const std::map<std::string, bool> before = rig_.enabledStates();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(rig_.definitions());
        fs::create_directories(rig_.definitions());
        rig_.window.lblVDFileName.setTag("");
        rig_.notifier.notices.clear();
        rig_.publish(kPackage, c.script);
        const auto started = std::chrono::steady_clock::now();
        run();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
        EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{c.notice});
        EXPECT_TRUE(fs::is_empty(rig_.downloads()));
        EXPECT_EQ(rig_.enabledStates(), before);
    }
    ASSERT_TRUE(fs::exists(grandchild));
    const pid_t left = static_cast<pid_t>(std::stol(readFile(grandchild)));
    EXPECT_EQ(kill(left, 0), 0) << "what the package started is left alone";
    kill(left, SIGKILL);
}

TEST_F(UpdateRunFaultTest, AWorkingFolderTheUserMayNotWriteToStopsTheRunWithANotice) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    const std::map<std::string, bool> before = rig_.enabledStates();
    test::openToEveryone(rig_.dir.path());
    fs::permissions(rig_.downloads(), fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::vector<std::string> expected{
        "ウィルス定義ファイル(20041114-017-i32.exe)を保存できませんでした(Permission denied)."};
    const int status = test::runUnprivileged([&] {
        run();
        if (rig_.notifier.notices != expected) {
            return 1;
        }
        if (lastOutcome_ != UpdateOutcome::SaveFailed || rig_.enabledStates() != before) {
            return 2;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::is_empty(rig_.downloads()));
    EXPECT_EQ(rig_.installed(), "");
}

}  // namespace
}  // namespace velmora
