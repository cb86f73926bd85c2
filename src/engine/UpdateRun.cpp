#include "engine/UpdateRun.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <new>
#include <span>
#include <utility>

#include "engine/DefinitionName.h"
#include "settings/MainWindowControls.h"

namespace velmora {

namespace {

std::string packageNotice(const std::string& fileName, const std::string& what) {
    return "ウィルス定義ファイル(" + fileName + ")" + what;
}

// A generous cap: an endless body from a fast server must not fill the disk.
constexpr std::uint64_t kPackageLimitBytes = std::uint64_t{4} << 30;

// The reason of a failed file or process operation, in the system's words.
std::string becauseOf(const std::string& error) {
    return "(" + error + ").";
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The package as it arrives: written to its file (created with the first byte, so that a
// request that brings nothing writes nothing) and handed to the digest. Runs on the
// fetch's thread until the fetch has returned.
class PackageDownload final : public BodyReceiver {
  public:
    PackageDownload(PackageFile& files, std::string fileName, std::unique_ptr<BackgroundMd5> digest)
        : files_(files), fileName_(std::move(fileName)), digest_(std::move(digest)) {}

    bool receive(std::span<const std::uint8_t> piece) override {
        if (!writer_) {
            writer_ = files_.create(fileName_, error_);
        }
        if (!writer_ || !writer_->append(piece, error_)) {
            return false;
        }
        digest_->add(piece);
        return true;
    }

    // Whether a byte arrived: an empty body is no package.
    bool receivedAny() const { return writer_ != nullptr; }
    // Why the file could not be written.
    const std::string& error() const { return error_; }

    // Keeps the file once the whole package has arrived; nullptr when it cannot, error()
    // then tells why. A file that is not kept is removed when the download goes.
    std::unique_ptr<SavedPackage> save() { return writer_->finish(error_); }

    // Waits for the digest of everything received.
    std::string digest() { return digest_->finish(); }

  private:
    PackageFile& files_;
    std::string fileName_;
    std::unique_ptr<BackgroundMd5> digest_;
    std::unique_ptr<PackageWriter> writer_;
    std::string error_;
};

// Sets a flag for the life of the object.
class ScopedFlag {
  public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

  private:
    bool& flag_;
};

}  // namespace

// Locks the setting controls for the run and unlocks them when it goes, in the order the
// window expects, restoring the Apply button to its state before the run.
class UpdateRun::WindowLock {
  public:
    WindowLock(MainWindow& window, SettingsStore& store) : window_(window) {
        window_.cmdUpdateVD.setEnabled(false);
        window_.cmdOK.setEnabled(false);
        window_.cmdCancel.setEnabled(false);
        applyWasEnabled_ = window_.cmdApply.enabled();
        window_.cmdApply.setEnabled(false);
        for (std::size_t i = 0; i < window_.optIUP.count(); ++i) {
            if (!window_.optIUP[i].value()) {
                window_.optIUP[i].setEnabled(false);
            }
        }
        window_.optIUP[static_cast<std::size_t>(soundFlavourIndex(store.GetIUPSetting()))]
            .setEnabled(false);
        for (Control* control : std::initializer_list<Control*>{
                 &window_.chkAuto, &window_.txtInterval, &window_.scrlInterval, &window_.chkRun,
                 &window_.chkLog, &window_.chkRemove}) {
            control->setEnabled(false);
        }
    }

    ~WindowLock() {
        if (abandoned_) {
            return;
        }
        window_.chkRemove.setEnabled(true);
        window_.chkLog.setEnabled(true);
        window_.chkAuto.setEnabled(true);
        window_.ApplyAutoUpdateState();
        window_.chkRun.setEnabled(true);
        for (std::size_t i = 0; i < window_.optIUP.count(); ++i) {
            window_.optIUP[i].setEnabled(true);
        }
        window_.cmdApply.setEnabled(applyWasEnabled_);
        window_.cmdCancel.setEnabled(true);
        window_.cmdOK.setEnabled(true);
        window_.cmdUpdateVD.setEnabled(true);
    }

    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    // The window is going away: leave it as it is.
    void abandon() { abandoned_ = true; }

  private:
    MainWindow& window_;
    bool applyWasEnabled_ = false;
    bool abandoned_ = false;
};

UpdateRun::UpdateRun(MainWindow& window, SettingsStore& store, HttpFetcher& fetcher,
                     PackageFile& packageFile, ProcessControl& processes, EventLog& log,
                     UpdateRunProcedures procedures)
    : window_(window),
      store_(store),
      fetcher_(fetcher),
      packageFile_(packageFile),
      processes_(processes),
      log_(log),
      procedures_(std::move(procedures)) {}

void UpdateRun::UpdateDefinitions(const std::string& baseUrl, const Flag16& showBox,
                                  const Flag16& writeToLog) {
    // A second run would write to the file the running package was started from.
    if (inProgress_ || quitRequested()) {
        return;
    }
    const ScopedFlag running(inProgress_);
    lastOutcome_ = UpdateOutcome::NotRun;
    WindowLock lock(window_, store_);
    try {
        lastOutcome_ = runSteps(baseUrl, showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        // What the run held has been given back on the way here.
        lastOutcome_ = UpdateOutcome::OutOfMemory;
        ReportMemoryShortage(log_, showBox, writeToLog);
    }
    if (lastOutcome_ == UpdateOutcome::Interrupted) {
        lock.abandon();
    }
}

UpdateOutcome UpdateRun::runSteps(const std::string& baseUrl, const Flag16& showBox,
                                  const Flag16& writeToLog) {
    const std::string expectedDigest = procedures_.FindLatestPackage(showBox, writeToLog);
    if (expectedDigest.empty()) {
        return UpdateOutcome::NoPackageInformation;
    }
    if (!isUpdateNeeded(window_.lblVDFileName.tag(), window_.lblLatstVDFileName.tag())) {
        log_.WriteLog(
            "最新のウィルス定義(" + window_.lblLatstVDFileName.caption() + ")に更新済みです.",
            showBox, writeToLog);
        return UpdateOutcome::UpToDate;
    }

    const std::string fileName = window_.lblLatstVDFileName.tag() + "-" + storedFlavour() + ".exe";
    PackageDownload download(packageFile_, fileName, procedures_.StartMD5());
    const FetchStatus fetched =
        fetcher_.fetch(baseUrl + fileName, "", kPackageLimitBytes, download);
    if (fetched == FetchStatus::Cancelled) {
        return UpdateOutcome::Interrupted;
    }
    if (fetched == FetchStatus::Failed ||
        (fetched == FetchStatus::Complete && !download.receivedAny())) {
        log_.WriteLog(packageNotice(fileName, "のダウンロードに失敗しました."), showBox,
                      writeToLog);
        return UpdateOutcome::DownloadFailed;
    }
    // A write that failed stopped the transfer: what follows would have nowhere to go.
    const std::unique_ptr<SavedPackage> saved =
        fetched == FetchStatus::Complete ? download.save() : nullptr;
    if (!saved) {
        log_.WriteLog(
            packageNotice(fileName, "を保存できませんでした" + becauseOf(download.error())),
            showBox, writeToLog);
        return UpdateOutcome::SaveFailed;
    }
    UpdateOutcome outcome = UpdateOutcome::DigestMismatch;
    try {
        if (!digestsMatch(upperCased(download.digest()), expectedDigest)) {
            log_.WriteLog(
                packageNotice(fileName, "が不正のため、更新を中止しました.(MD5hashエラー)."),
                showBox, writeToLog);
        } else {
            outcome = installAndConfirm(*saved, showBox, writeToLog);
        }
    } catch (const std::bad_alloc&) {
        // The package goes as after any other failure, unless the user keeps packages.
        cleanUp(fileName, showBox, writeToLog);
        throw;
    }
    if (outcome != UpdateOutcome::Interrupted) {
        cleanUp(fileName, showBox, writeToLog);
    }
    return outcome;
}

UpdateOutcome UpdateRun::installAndConfirm(const SavedPackage& package, const Flag16& showBox,
                                           const Flag16& writeToLog) {
    std::string error;
    const std::int32_t processId = processes_.startPackage(package, "/q", error);
    if (processId == 0) {
        log_.WriteLog(
            packageNotice(package.fileName(), "を実行できませんでした" + becauseOf(error)), showBox,
            writeToLog);
        return UpdateOutcome::StartFailed;
    }
    const std::int32_t watched = processes_.WaitForProcess(processId);
    if (processes_.quitRequested()) {
        return UpdateOutcome::Interrupted;
    }
    if (watched == 0) {
        log_.WriteLog("ウィルス定義の更新に失敗しました. 再実行してください(1). ", showBox,
                      writeToLog);
        return UpdateOutcome::WaitFailed;
    }
    const std::string installed = procedures_.GetInstalledDefinitions();
    if (installed != window_.lblLatstVDFileName.tag()) {
        log_.WriteLog("ウィルス定義の更新に失敗しました. 再実行してください(2). ", showBox,
                      writeToLog);
        return UpdateOutcome::NotConfirmed;
    }
    window_.lblVDFileName.setTag(installed);
    window_.lblVDFileName.setCaption(FormatDefinitionName(installed));
    log_.WriteLog("ウィルス定義を " + window_.lblVDFileName.caption() + " に更新しました.", showBox,
                  writeToLog);
    return UpdateOutcome::Updated;
}

void UpdateRun::cleanUp(const std::string& fileName, const Flag16& showBox,
                        const Flag16& writeToLog) {
    if (window_.chkRemove.value() != 0) {
        return;
    }
    std::string error;
    if (!packageFile_.remove(fileName, error)) {
        log_.WriteLog(packageNotice(fileName, "を削除できませんでした" + becauseOf(error)), showBox,
                      writeToLog);
    }
}

std::string UpdateRun::storedFlavour() {
    return window_.optIUP[static_cast<std::size_t>(soundFlavourIndex(store_.GetIUPSetting()))]
        .tag();
}

void ReportMemoryShortage(EventLog& log, const Flag16& showBox, const Flag16& writeToLog) noexcept {
    try {
        log.WriteLog("ウィルス定義の更新に失敗しました(メモリが不足しています).", showBox,
                     writeToLog);
    } catch (const std::exception&) {
        // Nothing more can be said without memory.
    }
}

bool isUpdateNeeded(const std::string& installedVersion, const std::string& packageName) {
    return installedVersion < packageName;
}

bool digestsMatch(const std::string& actual, const std::string& expected) {
    return !actual.empty() && upperCased(actual) == upperCased(expected);
}

}  // namespace velmora
