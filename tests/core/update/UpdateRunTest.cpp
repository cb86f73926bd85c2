#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "core/update/FakeUpdateRunRig.h"
#include "core/update/UpdateNotices.h"
#include "update/UpdateRun.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::FakeProcessControl;
using test::FakeResponse;
using test::kFailure1;
using test::kFailure2;
using test::kMismatch;
using test::kPackage;
using test::kUpdated;
using test::readFile;
using UpdateRunRig = test::FakeUpdateRunRig;

constexpr const char* kSomeDigest = "0123456789ABCDEF0123456789ABCDEF";

using States = std::map<std::string, bool>;

// The window while a run holds it, with the selected flavour being the stored one.
States lockedWindow(const States& before) {
    States states = before;
    for (const char* name :
         {"updateNowButton", "okButton", "cancelButton", "applyButton", "flavourOptions(0)",
          "flavourOptions(1)", "autoUpdateCheckBox", "intervalBox", "intervalScrollBar",
          "startWithSessionCheckBox", "logCheckBox", "keepPackagesCheckBox"}) {
        states[name] = false;
    }
    return states;
}

class UpdateRunTest : public ::testing::Test {
  protected:
    // Runs by the button and keeps the window's state as it stood at the first notice.
    void runRecordingTheLock() {
        rig_.notifier.onNotice = [this](const std::string&) {
            if (statesAtNotice_.empty()) {
                statesAtNotice_ = rig_.enabledStates();
            }
        };
        rig_.runByButton();
    }

    bool packageKept() const { return rig_.packageFile.holds(kPackage); }

    UpdateRunRig rig_;
    States statesAtNotice_;
};

TEST_F(UpdateRunTest, InstallsANewerPackageWithTheWindowLockedAndUnlocksItAfterwards) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    const States before = rig_.enabledStates();

    runRecordingTheLock();

    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_NE(readFile(rig_.logFile()).find(" : " + std::string(kUpdated) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(statesAtNotice_, lockedWindow(before));
    EXPECT_EQ(rig_.enabledStates(), before);
    EXPECT_FALSE(rig_.window.applyButton.enabled());
    EXPECT_EQ(rig_.window.installedVersionLabel.tag(), "20041114-017");
    EXPECT_EQ(rig_.window.installedVersionLabel.caption(), "2004/11/14 rev. 17");
    EXPECT_EQ(rig_.window.latestPackageLabel.caption(), "2004/11/14 rev. 17");
    EXPECT_FALSE(packageKept());
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::Updated);
}

TEST_F(UpdateRunTest, ANewerRevisionOfTheSameDateIsInstalledAndAnEqualOrLaterOneIsNot) {
    fs::create_directory(rig_.definitions() / "20041114.016");
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    rig_.runByButton();
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});

    rig_.runByButton();  // the window now holds 20041114-017
    fs::create_directory(rig_.definitions() / "20041120.001");
    rig_.startUp();  // installed later than the list's newest
    rig_.runByButton();
    const std::string upToDate = "最新のウィルス定義(2004/11/14 rev. 17)に更新済みです.";
    EXPECT_EQ(rig_.notifier.notices, (std::vector<std::string>{kUpdated, upToDate, upToDate}));
    EXPECT_EQ(rig_.fetcher.requestsFor(UpdateRunRig::packageUrl(kPackage)), 1u);
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::UpToDate);
}

TEST_F(UpdateRunTest, UnappliedEditsSurviveTheRunAndTheIntervalControlsFollowChkAuto) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    rig_.window.autoUpdateCheckBox.setValue(1);  // checked on the window, not applied
    ASSERT_TRUE(rig_.window.applyButton.enabled());
    rig_.window.intervalBox.setEnabled(false);  // whatever their state before the run
    rig_.window.intervalLabels[1].setEnabled(false);

    runRecordingTheLock();

    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_FALSE(statesAtNotice_.at("applyButton"));
    EXPECT_TRUE(rig_.window.applyButton.enabled());
    EXPECT_TRUE(rig_.window.intervalBox.enabled());
    EXPECT_TRUE(rig_.window.intervalScrollBar.enabled());
    EXPECT_TRUE(rig_.window.intervalLabels[0].enabled());
    EXPECT_TRUE(rig_.window.intervalLabels[1].enabled());
}

TEST_F(UpdateRunTest, TheStoredFlavourIsUsedWhenAnotherIsSelectedButNotApplied) {
    rig_.store("IUP", "1");
    rig_.publish("20041114-017-x86.exe", UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    rig_.window.flavourOptions[0].setValue(true);  // the user picks i32 and does not apply it
    ASSERT_TRUE(rig_.window.applyButton.enabled());

    runRecordingTheLock();

    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_EQ(rig_.fetcher.requestsFor(UpdateRunRig::packageUrl("20041114-017-x86.exe")), 1u);
    // Only the stored option and the options not selected are locked.
    EXPECT_TRUE(statesAtNotice_.at("flavourOptions(0)"));
    EXPECT_FALSE(statesAtNotice_.at("flavourOptions(1)"));
    EXPECT_TRUE(rig_.window.flavourOptions[0].enabled());
    EXPECT_TRUE(rig_.window.flavourOptions[1].enabled());
    EXPECT_TRUE(rig_.window.applyButton.enabled());
}

// The hash list arrives while window events are served: x86 applied then must not make the
// run fetch the x86 package and check it against the i32 entry's digest.
TEST_F(UpdateRunTest, AFlavourAppliedDuringTheRunChangesNeitherThePackageNorItsDigest) {
    const std::string i32 = UpdateRunRig::installingPackage("20041114.017");
    const std::string x86 = UpdateRunRig::installingPackage("20041113.001");
    rig_.publish("20041114-017-x86.exe", x86);
    rig_.publish(kPackage, i32);  // the list names the i32 package only, with its digest
    rig_.startUp();
    UpdateRunProcedures procedures = rig_.procedures();
    procedures.lookUp = [&](Flavour flavour, bool showBox, bool writeToLog) {
        auto found = rig_.finder.lookUp(flavour, showBox, writeToLog);
        rig_.store("IUP", "1");
        return found;
    };
    UpdateRun run(rig_.observer, rig_.fetcher, rig_.packageFile, rig_.processes, rig_.log,
                  procedures);

    run.updateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), true, true);

    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_EQ(rig_.fetcher.requestsFor(UpdateRunRig::packageUrl("20041114-017-x86.exe")), 0u);
    EXPECT_EQ(rig_.installed(), "20041114-017");
}

TEST_F(UpdateRunTest, ALowerCaseDigestInTheListMatchesItsPackage) {
    const std::string body = UpdateRunRig::installingPackage("20041114.017");
    rig_.publish(kPackage, body, rig_.digestOf(body));
    rig_.startUp();
    rig_.runByButton();
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
}

TEST_F(UpdateRunTest, AFailedDownloadWritesNothing) {
    rig_.publish(kPackage, "", kSomeDigest);
    rig_.startUp();
    const States before = rig_.enabledStates();
    rig_.runByButton();
    EXPECT_EQ(rig_.notifier.notices,
              std::vector<std::string>{
                  "ウィルス定義ファイル(20041114-017-i32.exe)のダウンロードに失敗しました."});
    EXPECT_TRUE(rig_.packageFile.files.empty());
    EXPECT_EQ(rig_.enabledStates(), before);
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::DownloadFailed);
}

TEST_F(UpdateRunTest, WithoutPackageInformationOnlyTheListLookupReports) {
    rig_.fetcher.responses[hashListUrl()] = FakeResponse::ok("");
    rig_.startUp();
    const States before = rig_.enabledStates();
    rig_.runByButton();
    ASSERT_EQ(rig_.notifier.notices.size(), 1u);
    EXPECT_TRUE(rig_.notifier.notices[0].ends_with(" をダウンロードできません."));
    EXPECT_EQ(rig_.enabledStates(), before);
    EXPECT_EQ(rig_.window.installedVersionLabel.caption(), "----/--/-- rev. ---");
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::NoPackageInformation);
}

// Each failing outcome after the save, with keepPackagesCheckBox off and on.
TEST_F(UpdateRunTest, FailedPackagesAreDeletedUnlessTheUserKeepsThem) {
    struct Row {
        std::string what;
        std::function<void()> publish;
        std::string notice;
        UpdateOutcome outcome;
    };
    const std::string installs = UpdateRunRig::installingPackage("20041114.017");
    const std::vector<Row> rows{
        {"wrong digest", [&] { rig_.publish(kPackage, installs, kSomeDigest); }, kMismatch,
         UpdateOutcome::DigestMismatch},
        {"error page",
         [&] {
             rig_.publish(kPackage, installs);
             rig_.fetcher.responses[UpdateRunRig::packageUrl(kPackage)] =
                 FakeResponse::ok("<html>Not Found</html>");
         },
         kMismatch, UpdateOutcome::DigestMismatch},
        {"installs nothing", [&] { rig_.publish(kPackage, "exit 0"); }, kFailure2,
         UpdateOutcome::NotConfirmed},
        {"installs another version",
         [&] { rig_.publish(kPackage, UpdateRunRig::installingPackage("20041113.001")); },
         kFailure2, UpdateOutcome::NotConfirmed},
    };
    for (const Row& row : rows) {
        for (const std::int16_t keep : {0, 1}) {
            SCOPED_TRACE(row.what + (keep ? ", kept" : ", deleted"));
            fs::remove_all(rig_.definitions());
            fs::create_directories(rig_.definitions());
            rig_.packageFile.files.clear();
            rig_.notifier.notices.clear();
            row.publish();
            rig_.startUp();
            rig_.window.keepPackagesCheckBox.setValue(keep);
            const States before = rig_.enabledStates();

            rig_.runByButton();

            EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{row.notice});
            EXPECT_EQ(packageKept(), keep == 1);
            EXPECT_EQ(rig_.window.installedVersionLabel.tag(), "");
            EXPECT_EQ(rig_.enabledStates(), before);
            EXPECT_EQ(rig_.run.lastOutcome(), row.outcome);
        }
    }
}

TEST_F(UpdateRunTest, ASuccessfulPackageIsKeptWhenTheUserAsksForIt) {
    const std::string body = UpdateRunRig::installingPackage("20041114.017");
    rig_.publish(kPackage, body);
    rig_.startUp();
    rig_.window.keepPackagesCheckBox.setValue(1);
    rig_.runByButton();
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_EQ(rig_.packageFile.files.at(kPackage), body);
}

TEST_F(UpdateRunTest, AProcessThatCannotBeWatchedIsFailureOne) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    // The package is over and collected before the wait can open it.
    rig_.processes.waitEnd = FakeProcessControl::WaitEnd::Fails;

    rig_.runByButton();

    // The package did install, but unseen: the window keeps the old version.
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kFailure1});
    EXPECT_EQ(rig_.installed(), "20041114-017");
    EXPECT_EQ(rig_.window.installedVersionLabel.tag(), "");
    EXPECT_FALSE(packageKept());
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::WaitFailed);
}

TEST_F(UpdateRunTest, FileAndProcessFailuresGetTheirOwnNoticeAndTheWindowIsUnlocked) {
    rig_.startUp();
    const States before = rig_.enabledStates();

    // A folder stands under the package's name: the package cannot be saved.
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.packageFile.createError = "Is a directory";
    rig_.runByButton();
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::SaveFailed);
    EXPECT_EQ(rig_.enabledStates(), before);
    rig_.packageFile.createError.clear();

    // Bytes that are no program: the package cannot be started.
    rig_.processes.startError = "Exec format error";
    rig_.runByButton();
    rig_.processes.startError.clear();
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::StartFailed);
    EXPECT_FALSE(packageKept());
    EXPECT_EQ(rig_.enabledStates(), before);

    // A package that leaves a folder under its own name: it cannot be deleted.
    rig_.packageFile.removeError = "Is a directory";
    rig_.runByButton();
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::Updated);
    EXPECT_EQ(rig_.enabledStates(), before);

    EXPECT_EQ(rig_.notifier.notices,
              (std::vector<std::string>{
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
TEST_F(UpdateRunTest, AWriteThatFailsDuringOrAtTheEndOfTheDownloadIsASaveFailure) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    const States before = rig_.enabledStates();
    for (std::string* failing : {&rig_.packageFile.appendError, &rig_.packageFile.finishError}) {
        *failing = "No space left on device";
        rig_.notifier.notices.clear();
        rig_.runByButton();
        failing->clear();
        EXPECT_EQ(rig_.notifier.notices,
                  std::vector<std::string>{"ウィルス定義ファイル(20041114-017-i32.exe)を保存でき"
                                           "ませんでした(No space left on device)."});
        EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::SaveFailed);
        EXPECT_TRUE(rig_.packageFile.files.empty());
        EXPECT_TRUE(rig_.processes.starts.empty());
        EXPECT_EQ(rig_.enabledStates(), before);
    }
}

TEST_F(UpdateRunTest, NoSecondRunStartsWhileThePackageRuns) {
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    bool inProgressDuringWait = false;
    rig_.processes.duringWait = [&] {
        inProgressDuringWait = rig_.run.inProgress();
        rig_.run.updateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), true, true);
        return FakeProcessControl::WaitEnd::Ends;
    };
    rig_.runByButton();
    EXPECT_TRUE(inProgressDuringWait);
    EXPECT_FALSE(rig_.run.inProgress());
    EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{kUpdated});
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 1u);
}

TEST_F(UpdateRunTest, AnExitDuringTheWaitLeavesTheWindowAndThePackageAlone) {
    rig_.publish(kPackage, "sleep");
    rig_.startUp();
    States lockedAtExit;
    rig_.processes.duringWait = [&] {
        lockedAtExit = rig_.enabledStates();
        return FakeProcessControl::WaitEnd::Quit;
    };
    rig_.runByButton();

    EXPECT_TRUE(rig_.notifier.notices.empty());
    EXPECT_FALSE(fs::exists(rig_.logFile()));
    EXPECT_EQ(rig_.enabledStates(), lockedAtExit);
    EXPECT_TRUE(packageKept());
    EXPECT_EQ(rig_.run.lastOutcome(), UpdateOutcome::Interrupted);
    EXPECT_TRUE(rig_.run.quitRequested());

    // Nothing more runs once the program is ending.
    rig_.runByButton();
    EXPECT_EQ(rig_.fetcher.requestsFor(hashListUrl()), 1u);
}

TEST_F(UpdateRunTest, TheFlagsDecideBetweenBoxAndLogLine) {
    rig_.publish(kPackage, "", kSomeDigest);
    rig_.startUp();
    rig_.run.updateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), false, false);
    EXPECT_TRUE(rig_.notifier.notices.empty());
    EXPECT_FALSE(fs::exists(rig_.logFile()));

    rig_.run.updateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), false, true);
    EXPECT_TRUE(rig_.notifier.notices.empty());
    EXPECT_TRUE(readFile(rig_.logFile()).ends_with("のダウンロードに失敗しました.\r\n"))
        << readFile(rig_.logFile());
}

// Memory running out anywhere in a run ends the run like any other failure: one notice,
// the window unlocked, no package left behind; the program goes on.
TEST_F(UpdateRunTest, RunningOutOfMemoryEndsTheRunWithANoticeAndUnlocksTheWindow) {
    const std::string outOfMemory = "ウィルス定義の更新に失敗しました(メモリが不足しています).";
    struct Case {
        std::string name;
        UpdateRunProcedures procedures;
    };
    const auto find = [this](Flavour f, bool s, bool w) { return rig_.finder.lookUp(f, s, w); };
    const auto md5 = [this] { return std::make_unique<BackgroundMd5>(rig_.digests, rig_.log); };
    const auto installed = [this] { return rig_.installed(); };
    const std::vector<Case> cases{
        {"looking up the list",
         {[](Flavour, const bool&, const bool&) -> std::optional<PublishedPackage> {
              throw std::bad_alloc();
          },
          md5, installed}},
        {"starting the digest",
         {find, []() -> std::unique_ptr<BackgroundMd5> { throw std::bad_alloc(); }, installed}},
        {"confirming the install", {find, md5, []() -> std::string { throw std::bad_alloc(); }}},
    };
    rig_.publish(kPackage, UpdateRunRig::installingPackage("20041114.017"));
    rig_.startUp();
    const States before = rig_.enabledStates();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig_.notifier.notices.clear();
        UpdateRun run(rig_.observer, rig_.fetcher, rig_.packageFile, rig_.processes, rig_.log,
                      c.procedures);
        run.updateDefinitions(rig_.window.updateRunInputs(), packageBaseUrl(), true, true);
        EXPECT_EQ(rig_.notifier.notices, std::vector<std::string>{outOfMemory});
        EXPECT_EQ(run.lastOutcome(), UpdateOutcome::OutOfMemory);
        EXPECT_EQ(rig_.enabledStates(), before);
        EXPECT_FALSE(packageKept());
        EXPECT_FALSE(run.inProgress());
    }
}

}  // namespace
}  // namespace velmora
