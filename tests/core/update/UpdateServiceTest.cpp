#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/update/FakeUpdateRunRig.h"
#include "core/update/UpdateNotices.h"
#include "update/UpdateService.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FakeProcessControl;
using test::FakeResponse;
using test::FakeSignatureVerifier;
using test::kFailure1;
using test::kFailure2;
using test::kMismatch;
using test::kPackage;
using test::kUpdated;
using test::readFile;
using Rig = test::FakeUpdateRunRig;
using Notices = std::vector<std::string>;

constexpr const char* kSomeDigest = "0123456789ABCDEF0123456789ABCDEF";
constexpr const char* kUpToDate = "最新のウィルス定義(2004/11/14 rev. 17)に更新済みです.";

class UpdateServiceTest : public ::testing::Test {
  protected:
    void publishInstalling(const std::string& folder = "20041114.017") {
        rig_.publish(kPackage, Rig::installingPackage(folder));
    }
    bool packageLeft() const { return rig_.packageFile.holdsFile(kPackage); }

    Rig rig_;
};

TEST_F(UpdateServiceTest, InstallsANewerPackageAndTellsWhatItFound) {
    publishInstalling();

    const RunResult result = rig_.runByButton();

    EXPECT_EQ(result.outcome, UpdateOutcome::Updated);
    EXPECT_EQ(result.newestPackage, "20041114-017");
    EXPECT_EQ(result.installedVersion, "20041114-017");
    EXPECT_EQ(rig_.notifier.notices, Notices{kUpdated});
    EXPECT_NE(readFile(rig_.logFile()).find(" : " + std::string(kUpdated) + "\r\n"),
              std::string::npos);
    EXPECT_FALSE(packageLeft());
    ASSERT_EQ(rig_.processes.starts.size(), 1u);
    EXPECT_EQ(rig_.processes.starts[0].argument, "/q");
}

TEST_F(UpdateServiceTest, ANewerRevisionOfTheSameDateIsInstalledAndAnEqualOrLaterOneIsNot) {
    fs::create_directory(rig_.definitions() / "20041114.016");
    publishInstalling();
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::UpToDate);
    fs::create_directory(rig_.definitions() / "20041120.001");  // later than the list's newest
    const RunResult later = rig_.runByButton();
    EXPECT_EQ(later.outcome, UpdateOutcome::UpToDate);
    EXPECT_EQ(later.installedVersion, "20041120-001");
    EXPECT_EQ(rig_.notifier.notices, (Notices{kUpdated, kUpToDate, kUpToDate}));
    EXPECT_EQ(rig_.fetcher.requestsFor(Rig::packageUrl(kPackage)), 1u);
}

// The request is taken whole as the run begins: x86 applied while the hash list arrives must
// not make the run fetch the x86 package and check it against the i32 entry's digest.
TEST_F(UpdateServiceTest, AFlavourAppliedDuringTheRunChangesNeitherThePackageNorItsDigest) {
    rig_.publish("20041114-017-x86.exe", Rig::installingPackage("20041113.001"));
    publishInstalling();  // the list names the i32 package only, with its digest
    rig_.fetcher.beforeAnswer = [this](const std::string& url) {
        if (url == hashListUrl()) {
            rig_.store("IUP", "1");
        }
    };
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(rig_.fetcher.requestsFor(Rig::packageUrl("20041114-017-x86.exe")), 0u);
    EXPECT_EQ(rig_.installed(), "20041114-017");
}

TEST_F(UpdateServiceTest, ALowerCaseDigestInTheListMatchesItsPackage) {
    const std::string body = Rig::installingPackage("20041114.017");
    rig_.publish(kPackage, body, rig_.digestOf(body));
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
}

TEST_F(UpdateServiceTest, AFailedDownloadOrAnEmptyListWritesNothing) {
    rig_.publish(kPackage, "", kSomeDigest);
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::DownloadFailed);
    EXPECT_EQ(rig_.notifier.notices, Notices{test::kDownloadFailed});
    EXPECT_TRUE(rig_.packageFile.files.empty());

    rig_.notifier.notices.clear();
    rig_.fetcher.responses[hashListUrl()] = FakeResponse::ok("");
    const RunResult result = rig_.runByButton();
    EXPECT_EQ(result.outcome, UpdateOutcome::NoPackageInformation);
    EXPECT_EQ(result.newestPackage, "");
    ASSERT_EQ(rig_.notifier.notices.size(), 1u);
    EXPECT_TRUE(rig_.notifier.notices[0].ends_with(" をダウンロードできません."));
}

// Each failing outcome after the save, with packages kept and not.
TEST_F(UpdateServiceTest, FailedPackagesAreDeletedUnlessTheUserKeepsThem) {
    struct Row {
        std::string what;
        std::function<void()> publish;
        std::string notice;
        UpdateOutcome outcome;
    };
    const std::string installs = Rig::installingPackage("20041114.017");
    const std::vector<Row> rows{
        {"wrong digest", [&] { rig_.publish(kPackage, installs, kSomeDigest); }, kMismatch,
         UpdateOutcome::DigestMismatch},
        {"error page",
         [&] {
             rig_.publish(kPackage, installs);
             rig_.fetcher.responses[Rig::packageUrl(kPackage)] =
                 FakeResponse::ok("<html>Not Found</html>");
         },
         kMismatch, UpdateOutcome::DigestMismatch},
        {"installs nothing", [&] { rig_.publish(kPackage, "exit 0"); }, kFailure2,
         UpdateOutcome::NotConfirmed},
        {"installs another version",
         [&] { rig_.publish(kPackage, Rig::installingPackage("20041113.001")); }, kFailure2,
         UpdateOutcome::NotConfirmed},
    };
    for (const Row& row : rows) {
        for (const bool keep : {false, true}) {
            SCOPED_TRACE(row.what + (keep ? ", kept" : ", deleted"));
            fs::remove_all(rig_.definitions());
            fs::create_directories(rig_.definitions());
            rig_.packageFile.files.clear();
            rig_.notifier.notices.clear();
            row.publish();
            rig_.keepPackages = keep;

            const RunResult result = rig_.runByButton();

            EXPECT_EQ(rig_.notifier.notices, Notices{row.notice});
            EXPECT_EQ(packageLeft(), keep);
            EXPECT_EQ(result.installedVersion, "");
            EXPECT_EQ(result.outcome, row.outcome);
        }
    }
}

TEST_F(UpdateServiceTest, ASuccessfulPackageIsKeptWhenTheUserAsksForIt) {
    const std::string body = Rig::installingPackage("20041114.017");
    rig_.publish(kPackage, body);
    rig_.keepPackages = true;
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(rig_.packageFile.files.at(kPackage), body);
}

TEST_F(UpdateServiceTest, AProcessThatCannotBeWatchedIsFailureOne) {
    publishInstalling();
    // The package is over and collected before the wait can open it.
    rig_.processes.waitEnd = FakeProcessControl::WaitEnd::Fails;

    const RunResult result = rig_.runByButton();

    // The package did install, but unseen: the run keeps the old version.
    EXPECT_EQ(result.outcome, UpdateOutcome::WaitFailed);
    EXPECT_EQ(rig_.notifier.notices, Notices{kFailure1});
    EXPECT_EQ(rig_.installed(), "20041114-017");
    EXPECT_EQ(result.installedVersion, "");
    EXPECT_FALSE(packageLeft());
}

TEST_F(UpdateServiceTest, FileAndProcessFailuresGetTheirOwnNotice) {
    publishInstalling();
    rig_.packageFile.createError = "Is a directory";  // a folder stands under the name
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::SaveFailed);
    rig_.packageFile.createError.clear();

    rig_.processes.startError = "Exec format error";  // bytes that are no program
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::StartFailed);
    rig_.processes.startError.clear();
    EXPECT_FALSE(packageLeft());

    rig_.packageFile.discardError = "Is a directory";  // the package left a folder there
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);

    EXPECT_EQ(rig_.notifier.notices,
              (Notices{
                  "ウィルス定義ファイル(20041114-017-i32.exe)を保存できませんでした(Is a "
                  "directory).",
                  "ウィルス定義ファイル(20041114-017-i32.exe)を実行できませんでした(Exec format "
                  "error).",
                  kUpdated,
                  "ウィルス定義ファイル(20041114-017-i32.exe)を削除できませんでした(Is a "
                  "directory).",
              }));
}

// A disk that fills during the download, or a file that cannot be closed: nothing is
// started, and no part of the package is left.
TEST_F(UpdateServiceTest, AWriteThatFailsDuringOrAtTheEndOfTheDownloadIsASaveFailure) {
    publishInstalling();
    for (std::string* failing : {&rig_.packageFile.appendError, &rig_.packageFile.finishError}) {
        *failing = "No space left on device";
        rig_.notifier.notices.clear();
        EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::SaveFailed);
        failing->clear();
        EXPECT_EQ(rig_.notifier.notices,
                  Notices{"ウィルス定義ファイル(20041114-017-i32.exe)を保存でき"
                          "ませんでした(No space left on device)."});
        EXPECT_TRUE(rig_.packageFile.files.empty());
        EXPECT_TRUE(rig_.processes.starts.empty());
    }
}

TEST_F(UpdateServiceTest, NoSecondRunStartsWhileThePackageRuns) {
    publishInstalling();
    RunResult nested;
    bool inProgressDuringWait = false;
    rig_.processes.duringWait = [&] {
        inProgressDuringWait = rig_.service.inProgress();
        nested = rig_.runByButton();
        return FakeProcessControl::WaitEnd::Ends;
    };
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_TRUE(inProgressDuringWait);
    EXPECT_EQ(nested.outcome, UpdateOutcome::NotRun);
    EXPECT_FALSE(rig_.service.inProgress());
    EXPECT_EQ(rig_.notifier.notices, Notices{kUpdated});
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 1u);
}

// The program ends while the package runs: nothing is reported, and the package file goes
// unless packages are kept. Nothing more runs once the program is ending.
TEST_F(UpdateServiceTest, AnExitDuringTheWaitReportsNothingAndLeavesOnlyAKeptPackage) {
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept" : "not kept");
        Rig rig;
        rig.publish(kPackage, "sleep");
        rig.keepPackages = keep;
        rig.processes.duringWait = [] { return FakeProcessControl::WaitEnd::Quit; };

        EXPECT_EQ(rig.runByButton().outcome, UpdateOutcome::Interrupted);
        EXPECT_TRUE(rig.notifier.notices.empty());
        EXPECT_FALSE(fs::exists(rig.logFile()));
        EXPECT_EQ(rig.packageFile.holdsFile(kPackage), keep);
        EXPECT_TRUE(rig.service.quitRequested());

        EXPECT_EQ(rig.runByButton().outcome, UpdateOutcome::NotRun);
        EXPECT_EQ(rig.fetcher.requestsFor(hashListUrl()), 1u);
    }
}

TEST_F(UpdateServiceTest, TheFlagsDecideBetweenBoxAndLogLine) {
    rig_.publish(kPackage, "", kSomeDigest);
    RunRequest request = rig_.buttonRequest();
    request.showBox = false;
    request.writeToLog = false;
    rig_.service.run(request);
    EXPECT_TRUE(rig_.notifier.notices.empty());
    EXPECT_FALSE(fs::exists(rig_.logFile()));

    request.writeToLog = true;
    rig_.service.run(request);
    EXPECT_TRUE(rig_.notifier.notices.empty());
    EXPECT_TRUE(readFile(rig_.logFile()).ends_with("のダウンロードに失敗しました.\r\n"))
        << readFile(rig_.logFile());
}

// Memory running out anywhere in a run ends the run like any other failure: one notice, no
// package left behind; the program goes on.
TEST_F(UpdateServiceTest, RunningOutOfMemoryEndsTheRunWithANotice) {
    publishInstalling();
    rig_.fetcher.beforeAnswer = [](const std::string& url) {
        if (url == hashListUrl()) {
            throw std::bad_alloc();
        }
    };
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::OutOfMemory);
    rig_.fetcher.beforeAnswer = nullptr;
    rig_.processes.effect = [](const FakeProcessControl::Start&) { throw std::bad_alloc(); };
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::OutOfMemory);

    const std::string outOfMemory = "ウィルス定義の更新に失敗しました(メモリが不足しています).";
    EXPECT_EQ(rig_.notifier.notices, (Notices{outOfMemory, outOfMemory}));
    EXPECT_FALSE(packageLeft());
    EXPECT_FALSE(rig_.service.inProgress());
}

// Where the system asks for an administrator to install the definitions, the package is
// started with an administrator's rights; a user who does not consent gets a notice and
// nothing is installed.
TEST_F(UpdateServiceTest, ThePackageStartsWithTheRightsTheDefinitionsFolderNeeds) {
    using Rights = StartRights;
    struct Row {
        std::string what;
        bool ownRights;
        bool ownStartNeedsAdministrator;
        bool declined;
        std::vector<Rights> starts;
        UpdateOutcome outcome;
    };
    const std::vector<Row> rows{
        {"own rights suffice", true, false, false, {Rights::Own}, UpdateOutcome::Updated},
        {"the folder needs an administrator",
         false,
         false,
         false,
         {Rights::Administrator},
         UpdateOutcome::Updated},
        {"the system asks for an administrator",
         true,
         true,
         false,
         {Rights::Own, Rights::Administrator},
         UpdateOutcome::Updated},
        {"the user declines",
         false,
         false,
         true,
         {Rights::Administrator},
         UpdateOutcome::StartFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Rig rig;
        rig.publish(kPackage, Rig::installingPackage("20041114.017"));
        rig.processes.ownRights = row.ownRights;
        rig.processes.ownStartNeedsAdministrator = row.ownStartNeedsAdministrator;
        rig.processes.consentDeclined = row.declined;

        EXPECT_EQ(rig.runByButton().outcome, row.outcome);

        std::vector<Rights> starts;
        for (const FakeProcessControl::Start& start : rig.processes.starts) {
            starts.push_back(start.rights);
        }
        EXPECT_EQ(starts, row.starts);
        ASSERT_EQ(rig.processes.rightsAskedFor.size(), 1u);
        EXPECT_TRUE(rig.processes.rightsAskedFor[0].ends_with("/Corvane Shared/Definitions/"));
        EXPECT_FALSE(rig.packageFile.holdsFile(kPackage));
    }
}

TEST_F(UpdateServiceTest, ADeclinedConsentIsAStartFailureThatSaysSo) {
    publishInstalling();
    rig_.processes.ownRights = false;
    rig_.processes.consentDeclined = true;
    rig_.runByButton();
    EXPECT_EQ(rig_.notifier.notices,
              Notices{"ウィルス定義ファイル(20041114-017-i32.exe)を実行できませんでした"
                      "(管理者としての実行が承認されませんでした)."});
    EXPECT_EQ(rig_.installed(), "");
}

// The first valid signature fixes the publisher; from then on only that publisher's valid
// signature runs. A refused package goes even when packages are kept.
TEST_F(UpdateServiceTest, TheFirstSignedPublisherIsKeptAndRequiredFromThenOn) {
    const std::string publisherA = "CN=Corvane Software, O=Corvane, C=JP; CN=Corvane CA";
    const std::string publisherB = "CN=Someone Else; CN=Another CA";
    rig_.keepPackages = true;
    struct Step {
        std::string what;
        SignatureCheck check;
        UpdateOutcome outcome;
        std::string notice;
    };
    const std::vector<Step> steps{
        {"unsigned before any signed package", FakeSignatureVerifier::unsignedPackage(),
         UpdateOutcome::Updated, kUpdated},
        {"signed by A", FakeSignatureVerifier::signedBy(publisherA), UpdateOutcome::Updated,
         kUpdated},
        {"signed by A again", FakeSignatureVerifier::signedBy(publisherA), UpdateOutcome::Updated,
         kUpdated},
        {"signed by B", FakeSignatureVerifier::signedBy(publisherB),
         UpdateOutcome::SignatureRefused,
         "ウィルス定義ファイル(20041114-017-i32.exe)の発行元が異なるため、更新を中止しました."
         "(発行元エラー: " +
             publisherB + ")."},
        {"unsigned after A", FakeSignatureVerifier::unsignedPackage(),
         UpdateOutcome::SignatureRefused,
         "ウィルス定義ファイル(20041114-017-i32.exe)に署名がないため、更新を中止しました."
         "(署名エラー)."},
        {"a signature that does not hold", FakeSignatureVerifier::invalid("The digest differs."),
         UpdateOutcome::SignatureRefused,
         "ウィルス定義ファイル(20041114-017-i32.exe)の署名が正しくないため、更新を中止しました."
         "(署名エラー: The digest differs.)."},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        fs::remove_all(rig_.definitions());
        fs::create_directories(rig_.definitions());
        rig_.packageFile.files.clear();
        rig_.notifier.notices.clear();
        rig_.processes.starts.clear();
        publishInstalling();
        rig_.signatures.answer = step.check;

        EXPECT_EQ(rig_.runByButton().outcome, step.outcome);

        EXPECT_EQ(rig_.notifier.notices, Notices{step.notice});
        const bool ran = step.outcome == UpdateOutcome::Updated;
        EXPECT_EQ(rig_.processes.starts.size(), ran ? 1u : 0u);
        EXPECT_EQ(packageLeft(), ran);
    }
    EXPECT_EQ(rig_.stored("Publisher"), publisherA);
    // Kept once, and said so once, whatever the logging option.
    const std::string log = rig_.logText();
    const std::string keptLine = "ウィルス定義ファイルの発行元(" + publisherA + ")を記憶しました.";
    EXPECT_NE(log.find(keptLine), std::string::npos);
    EXPECT_EQ(log.find(keptLine), log.rfind(keptLine));

    // Forgetting the publisher lets the next signed package fix it anew.
    EXPECT_TRUE(rig_.publisher.forget());
    rig_.signatures.answer = FakeSignatureVerifier::signedBy(publisherB);
    fs::remove_all(rig_.definitions());
    fs::create_directories(rig_.definitions());
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(rig_.stored("Publisher"), publisherB);
}

// Where the saved file is held against writers, the digest is taken from it: bytes changed
// after the download (before the file was held) are caught, and never started.
TEST_F(UpdateServiceTest, AHeldPackageIsCheckedThroughTheFileThatWillRun) {
    publishInstalling();
    rig_.packageFile.holds = true;
    rig_.packageFile.afterFinish = [](std::string& contents) { contents = "install evil"; };
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::DigestMismatch);
    EXPECT_TRUE(rig_.processes.starts.empty());

    rig_.packageFile.afterFinish = nullptr;
    rig_.packageFile.readError = "The device is not ready.";
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::SaveFailed);
    rig_.packageFile.readError.clear();

    // The program ends while the held file is checked: nothing is reported or started.
    rig_.background.quitDuring = true;
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Interrupted);
    rig_.background.quitDuring = false;

    EXPECT_EQ(rig_.notifier.notices,
              (Notices{kMismatch,
                       "ウィルス定義ファイル(20041114-017-i32.exe)を読み込めません"
                       "でした(The device is not ready.)."}));
    EXPECT_TRUE(rig_.processes.starts.empty());
    EXPECT_FALSE(packageLeft());
    EXPECT_TRUE(rig_.service.quitRequested());
}

TEST_F(UpdateServiceTest, AHeldPackageThatIsUnchangedRuns) {
    publishInstalling();
    rig_.packageFile.holds = true;
    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(rig_.signatures.checked, std::vector<std::string>{kPackage});
}

// A mirror an administrator names serves the list and the package in the vendor's place;
// only the package, never the list, may come from a cache on the way.
TEST_F(UpdateServiceTest, AMirrorPolicyServesEverythingAndOnlyThePackageMayBeCached) {
    const std::string mirror = "http://mirror.example.local/velmora/";
    rig_.administer("UpdateUrl", "http://mirror.example.local/velmora");
    rig_.administer("CachePackages", "1");
    const std::string package = Rig::installingPackage("20041114.017");
    rig_.fetcher.responses[mirror + "md5-hash.txt"] =
        FakeResponse::ok(test::listedForm(rig_.digestOf(package)) + " " + kPackage + "\r\n");
    rig_.fetcher.responses[mirror + "packages/" + kPackage] = FakeResponse::ok(package);

    EXPECT_EQ(rig_.runByButton().outcome, UpdateOutcome::Updated);
    EXPECT_EQ(
        rig_.service.lookUpNewest(Flavour::I32, updateSourceFor(rig_.policies), false, true)->name,
        "20041114-017");

    ASSERT_EQ(rig_.fetcher.requests.size(), 3u);
    EXPECT_EQ(rig_.fetcher.requests[0].url, mirror + "md5-hash.txt");
    EXPECT_EQ(rig_.fetcher.requests[0].cache, CacheUse::Bypass);
    EXPECT_EQ(rig_.fetcher.requests[1].url, mirror + "packages/" + kPackage);
    EXPECT_EQ(rig_.fetcher.requests[1].cache, CacheUse::Allow);
    EXPECT_EQ(rig_.fetcher.requests[2].cache, CacheUse::Bypass);
    EXPECT_EQ(rig_.notifier.notices, Notices{kUpdated});
}

// A publisher an administrator names takes the place of the first one seen: nothing is kept,
// and a package without that publisher's valid signature is refused with the signature
// notice and never runs.
TEST_F(UpdateServiceTest, APolicysPublisherIsRequiredInPlaceOfTheFirstOneSeen) {
    const std::string required = "CN=Corvane Software, O=Corvane, C=JP; CN=Corvane CA";
    rig_.administer("PackagePublisher", required);
    const std::vector<std::pair<SignatureCheck, UpdateOutcome>> checks{
        {FakeSignatureVerifier::signedBy("CN=Someone Else; CN=Another CA"),
         UpdateOutcome::SignatureRefused},
        {FakeSignatureVerifier::unsignedPackage(), UpdateOutcome::SignatureRefused},
        {FakeSignatureVerifier::signedBy(required), UpdateOutcome::Updated},
    };
    for (const auto& [check, outcome] : checks) {
        publishInstalling();
        rig_.signatures.answer = check;
        EXPECT_EQ(rig_.runByButton().outcome, outcome);
    }
    EXPECT_EQ(rig_.processes.starts.size(), 1u);
    ASSERT_EQ(rig_.notifier.notices.size(), 3u);
    EXPECT_NE(rig_.notifier.notices[0].find("の発行元が異なるため"), std::string::npos);
    EXPECT_NE(rig_.notifier.notices[1].find("に署名がないため"), std::string::npos);
    EXPECT_EQ(rig_.stored("Publisher"), "") << "the first publisher seen is not kept";
}

}  // namespace
}  // namespace velmora
