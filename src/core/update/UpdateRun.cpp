#include "update/UpdateRun.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <span>
#include <utility>

#include "update/DefinitionName.h"

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

// Tells the observer that the run starts, and that it ends when the run goes, whichever
// way it goes.
class UpdateRun::ObservedRun {
  public:
    ObservedRun(UpdateRunObserver& observer, Flavour flavour) : observer_(observer) {
        observer_.runStarting(flavour);
    }
    ~ObservedRun() { observer_.runEnded(interrupted_); }

    ObservedRun(const ObservedRun&) = delete;
    ObservedRun& operator=(const ObservedRun&) = delete;

    // The program is ending: the window is going away with it.
    void interrupt() { interrupted_ = true; }

  private:
    UpdateRunObserver& observer_;
    bool interrupted_ = false;
};

UpdateRun::UpdateRun(UpdateRunObserver& observer, HttpFetcher& fetcher, PackageFile& packageFile,
                     ProcessControl& processes, EventLog& log, UpdateRunProcedures procedures)
    : observer_(observer),
      fetcher_(fetcher),
      packageFile_(packageFile),
      processes_(processes),
      log_(log),
      procedures_(std::move(procedures)) {}

// NOLINTNEXTLINE(performance-unnecessary-value-param): the copy is the run's snapshot.
void UpdateRun::updateDefinitions(UpdateRunInputs inputs, const std::string& baseUrl, bool showBox,
                                  bool writeToLog) {
    // A second run would write to the file the running package was started from.
    if (inProgress_ || quitRequested()) {
        return;
    }
    const ScopedFlag running(inProgress_);
    lastOutcome_ = UpdateOutcome::NotRun;
    ObservedRun observed(observer_, inputs.flavour);
    try {
        lastOutcome_ = runSteps(inputs, baseUrl, showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        // What the run held has been given back on the way here.
        lastOutcome_ = UpdateOutcome::OutOfMemory;
        reportMemoryShortage(log_, showBox, writeToLog);
    }
    if (lastOutcome_ == UpdateOutcome::Interrupted) {
        observed.interrupt();
    }
}

UpdateOutcome UpdateRun::runSteps(const UpdateRunInputs& inputs, const std::string& baseUrl,
                                  bool showBox, bool writeToLog) {
    const std::optional<PublishedPackage> latest =
        procedures_.lookUp(inputs.flavour, showBox, writeToLog);
    if (!latest) {
        return UpdateOutcome::NoPackageInformation;
    }
    observer_.latestPackageFound(latest->name);
    if (!isUpdateNeeded(inputs.installedVersion, latest->name)) {
        log_.report("最新のウィルス定義(" + formatDefinitionName(latest->name) + ")に更新済みです.",
                    showBox, writeToLog);
        return UpdateOutcome::UpToDate;
    }

    const std::string fileName =
        latest->name + "-" + std::string(flavourText(inputs.flavour)) + ".exe";
    PackageDownload download(packageFile_, fileName, procedures_.startDigest());
    const FetchStatus fetched = fetcher_.fetch(baseUrl + fileName, kPackageLimitBytes, download);
    if (fetched == FetchStatus::Cancelled) {
        return UpdateOutcome::Interrupted;
    }
    if (fetched == FetchStatus::Failed ||
        (fetched == FetchStatus::Complete && !download.receivedAny())) {
        log_.report(packageNotice(fileName, "のダウンロードに失敗しました."), showBox, writeToLog);
        return UpdateOutcome::DownloadFailed;
    }
    // A write that failed stopped the transfer: what follows would have nowhere to go.
    std::unique_ptr<SavedPackage> saved =
        fetched == FetchStatus::Complete ? download.save() : nullptr;
    if (!saved) {
        log_.report(packageNotice(fileName, "を保存できませんでした" + becauseOf(download.error())),
                    showBox, writeToLog);
        return UpdateOutcome::SaveFailed;
    }
    UpdateOutcome outcome = UpdateOutcome::DigestMismatch;
    try {
        if (!digestsMatch(upperCased(download.digest()), latest->digest)) {
            log_.report(
                packageNotice(fileName, "が不正のため、更新を中止しました.(MD5hashエラー)."),
                showBox, writeToLog);
        } else {
            outcome = installAndConfirm(*saved, latest->name, showBox, writeToLog);
        }
    } catch (const std::bad_alloc&) {
        // The package goes as after any other failure, unless the user keeps packages.
        saved.reset();
        cleanUp(inputs, fileName, showBox, writeToLog);
        throw;
    }
    // Closed before it is removed: Windows deletes no file while a handle denies it.
    saved.reset();
    if (outcome != UpdateOutcome::Interrupted) {
        cleanUp(inputs, fileName, showBox, writeToLog);
    }
    return outcome;
}

UpdateOutcome UpdateRun::installAndConfirm(const SavedPackage& package,
                                           const std::string& packageName, bool showBox,
                                           bool writeToLog) {
    std::string error;
    const std::int32_t processId = processes_.startPackage(package, "/q", error);
    if (processId == 0) {
        log_.report(packageNotice(package.fileName(), "を実行できませんでした" + becauseOf(error)),
                    showBox, writeToLog);
        return UpdateOutcome::StartFailed;
    }
    const std::int32_t watched = processes_.waitForProcess(processId);
    if (processes_.quitRequested()) {
        return UpdateOutcome::Interrupted;
    }
    if (watched == 0) {
        log_.report("ウィルス定義の更新に失敗しました. 再実行してください(1). ", showBox,
                    writeToLog);
        return UpdateOutcome::WaitFailed;
    }
    const std::string installed = procedures_.findInstalledDefinitions();
    if (installed != packageName) {
        log_.report("ウィルス定義の更新に失敗しました. 再実行してください(2). ", showBox,
                    writeToLog);
        return UpdateOutcome::NotConfirmed;
    }
    observer_.installedVersionChanged(installed);
    log_.report("ウィルス定義を " + formatDefinitionName(installed) + " に更新しました.", showBox,
                writeToLog);
    return UpdateOutcome::Updated;
}

void UpdateRun::cleanUp(const UpdateRunInputs& inputs, const std::string& fileName, bool showBox,
                        bool writeToLog) {
    if (inputs.keepPackages) {
        return;
    }
    std::string error;
    if (!packageFile_.remove(fileName, error)) {
        log_.report(packageNotice(fileName, "を削除できませんでした" + becauseOf(error)), showBox,
                    writeToLog);
    }
}

void reportMemoryShortage(EventLog& log, bool showBox, bool writeToLog) noexcept {
    try {
        log.report("ウィルス定義の更新に失敗しました(メモリが不足しています).", showBox,
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
