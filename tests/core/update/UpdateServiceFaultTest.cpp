#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/update/FakeUpdateRunRig.h"
#include "core/update/UpdateNotices.h"
#include "update/UpdateService.h"

namespace velmora {
namespace {

using test::FakeResponse;
using test::kDownloadFailed;
using test::kPackage;
using UpdateRunRig = test::FakeUpdateRunRig;

// Transfers that fail part-way, met by a whole run. How a real server's reset, stall,
// trickle or short body becomes a failed fetch is the fetcher's own test (CurlFetcherTest).
class UpdateServiceFaultTest : public ::testing::Test {
  protected:
    UpdateRunRig rig_;
};

TEST_F(UpdateServiceFaultTest, ServerFaultsDuringTheDownloadInstallNothingAndUnlockTheWindow) {
    const std::string body =
        UpdateRunRig::installingPackage("20041114.017") + std::string(256 * 1024, '#');
    const std::string half = body.substr(0, body.size() / 2);
    // What arrived before the fault is only a part: the download failed, and the part
    // written to the file is removed.
    const std::vector<std::pair<std::string, FakeResponse>> cases{
        {"cut short mid-body", FakeResponse::cutShort({half.substr(0, 1000), half.substr(1000)})},
        {"cut short after the announced length", {{half}, body.size(), FetchStatus::Failed}},
        {"headers only", {{}, body.size(), FetchStatus::Failed}},
    };
    for (const auto& [name, response] : cases) {
        SCOPED_TRACE(name);
        rig_.notifier.notices.clear();
        rig_.publish(kPackage, body);
        rig_.fetcher.responses[UpdateRunRig::packageUrl(kPackage)] = response;
        EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::DownloadFailed);
        EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kDownloadFailed});
        EXPECT_EQ(rig_.installed(), "");
        EXPECT_TRUE(rig_.packageFile.files.empty());
        EXPECT_TRUE(rig_.processes.starts.empty());
    }
}

// A list cut inside its newest entry once made a run take an older entry for the newest
// and report "already up to date". A list that does not arrive whole, or that is larger
// than any list can be, is a failed download of the list.
TEST_F(UpdateServiceFaultTest, AListThatDoesNotArriveWholeOrIsTooLargeIsNotDownloaded) {
    std::filesystem::create_directory(rig_.definitions() / "20041114.017");
    const std::string list =
        "0123456789ABCDEF0123456789ABCDEF 20041114-017-i32.exe\r\n"
        "FEDCBA9876543210FEDCBA9876543210 20041120-001-i32.exe\r\n";
    const std::string cut =
        "0123456789ABCDEF0123456789ABCDEF 20041114-017-i32.exe\r\n"
        "FEDCBA9876543210FEDCBA98765";
    const std::string huge = list + std::string((1u << 20) - list.size() + 1, ' ');
    const std::vector<std::pair<std::string, FakeResponse>> cases{
        {"cut inside an entry", FakeResponse::cutShort({cut})},
        {"announced larger than a list can be", FakeResponse::ok(huge)},
        {"larger than a list can be, unannounced", {{huge}, std::nullopt, FetchStatus::Complete}},
    };
    for (const auto& [name, response] : cases) {
        SCOPED_TRACE(name);
        rig_.notifier.notices.clear();
        rig_.fetcher.responses[hashListUrl()] = response;
        EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::NoPackageInformation);
        ASSERT_EQ(rig_.notifier.notices.size(), 1u);
        EXPECT_TRUE(rig_.notifier.notices[0].ends_with("/md5-hash.txt をダウンロードできません."))
            << rig_.notifier.notices[0];
    }
}

}  // namespace
}  // namespace velmora
