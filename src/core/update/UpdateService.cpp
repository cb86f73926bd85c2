#include "update/UpdateService.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <span>
#include <utility>

#include "update/BackgroundMd5.h"
#include "update/DefinitionName.h"
#include "update/InstalledDefinitions.h"
#include "update/Md5Stream.h"
#include "update/PackageTrust.h"

namespace velmora {

namespace {

// A generous cap: an endless body from a fast server must not fill the disk.
constexpr std::uint64_t kPackageLimitBytes = std::uint64_t{4} << 30;

std::string packageNotice(const std::string& fileName, const std::string& what) {
    return "ウィルス定義ファイル(" + fileName + ")" + what;
}

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
// request that brings nothing writes nothing) and, where the saved file cannot be held
// against other writers, handed to the digest. Runs on the fetch's thread until the fetch
// has returned.
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
        if (digest_) {
            digest_->add(piece);
        }
        return true;
    }

    // Whether a byte arrived: an empty body is no package.
    bool receivedAny() const { return writer_ != nullptr; }
    // Why the file could not be written.
    const std::string& error() const { return error_; }

    // Holds the file once the whole package has arrived; nullptr when it cannot, error()
    // then tells why. A file that is not held is removed when the download goes.
    std::unique_ptr<SavedPackage> save() { return writer_->finish(error_); }

    // Waits for the digest of everything received.
    std::string digest() { return digest_ ? digest_->finish() : std::string(); }

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

// Tells the observer that the run ends, whichever way it goes.
class EndTold {
  public:
    EndTold(RunObserver& observer, const RunResult& result)
        : observer_(observer), result_(result) {}
    ~EndTold() { observer_.runEnded(result_); }
    EndTold(const EndTold&) = delete;
    EndTold& operator=(const EndTold&) = delete;

  private:
    RunObserver& observer_;
    const RunResult& result_;
};

class NoObserver final : public RunObserver {
  public:
    void runStarting(Flavour /*flavour*/) override {}
    void newestPackageFound(const std::string& /*packageName*/) override {}
    void runEnded(const RunResult& /*result*/) override {}
};

// What the checks of a held package found: its digest and its signature.
struct HeldPackageChecks {
    std::string digest;
    std::string readError;
    SignatureCheck signature;
};

}  // namespace

// One run's steps, over the request it works with and the result it fills in.
struct UpdateService::Steps {
    UpdateService& service;
    const RunRequest& request;
    RunObserver& observer;
    RunResult& result;

    void report(const std::string& text) const {
        service.parts_.log.report(text, request.showBox, request.writeToLog);
    }

    UpdateOutcome run();
    UpdateOutcome checkAndInstall(SavedPackage& package, const PublishedPackage& latest,
                                  PackageDownload& download);
    std::optional<UpdateOutcome> checkSignature(const SignatureCheck& check,
                                                const std::string& fileName);
    UpdateOutcome install(SavedPackage& package, const std::string& packageName);
    PackageStart start(SavedPackage& package);
    void cleanUp(SavedPackage& package, UpdateOutcome outcome);
};

UpdateService::UpdateService(UpdateParts parts)
    : parts_(parts), finder_(parts.fetcher, parts.log) {}

RunResult UpdateService::run(const RunRequest& request) {
    NoObserver nobody;
    return run(request, nobody);
}

RunResult UpdateService::run(const RunRequest& request, RunObserver& observer) {
    RunResult result;
    result.installedVersion = request.installedVersion;
    // A second run would write to the file the running package was started from.
    if (inProgress_ || quitRequested()) {
        return result;
    }
    const ScopedFlag running(inProgress_);
    observer.runStarting(request.flavour);
    const EndTold endTold(observer, result);
    try {
        result.outcome = Steps{*this, request, observer, result}.run();
    } catch (const std::bad_alloc&) {
        // What the run held has been given back on the way here.
        result.outcome = UpdateOutcome::OutOfMemory;
        reportMemoryShortage(parts_.log, request.showBox, request.writeToLog);
    }
    return result;
}

std::optional<PublishedPackage> UpdateService::lookUpNewest(Flavour flavour,
                                                            const UpdateSource& source,
                                                            bool showBox, bool writeToLog) {
    try {
        return finder_.lookUp(flavour, source.hashListUrl(), showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        reportMemoryShortage(parts_.log, showBox, writeToLog);
        return std::nullopt;
    }
}

std::string UpdateService::installedVersion() const {
    return findInstalledDefinitions(parts_.folders);
}

bool UpdateService::quitRequested() const {
    return quitDuringChecks_ || parts_.fetcher.cancelled() || parts_.processes.quitRequested();
}

UpdateOutcome UpdateService::Steps::run() {
    const std::optional<PublishedPackage> latest = service.finder_.lookUp(
        request.flavour, request.source.hashListUrl(), request.showBox, request.writeToLog);
    if (!latest) {
        return UpdateOutcome::NoPackageInformation;
    }
    result.newestPackage = latest->name;
    observer.newestPackageFound(latest->name);
    if (!isUpdateNeeded(request.installedVersion, latest->name)) {
        report("最新のウィルス定義(" + formatDefinitionName(latest->name) + ")に更新済みです.");
        return UpdateOutcome::UpToDate;
    }

    UpdateParts& parts = service.parts_;
    const std::string fileName =
        latest->name + "-" + std::string(flavourText(request.flavour)) + ".exe";
    // Where the saved file is held against writers, its digest is taken from it afterwards.
    PackageDownload download(parts.packageFile, fileName,
                             parts.packageFile.holdsSavedPackages()
                                 ? nullptr
                                 : std::make_unique<BackgroundMd5>(parts.digests, parts.log));
    const FetchStatus fetched =
        parts.fetcher.fetch(request.source.packageBaseUrl() + fileName, kPackageLimitBytes,
                            download, request.cachePackages ? CacheUse::Allow : CacheUse::Bypass);
    if (fetched == FetchStatus::Cancelled) {
        return UpdateOutcome::Interrupted;
    }
    if (fetched == FetchStatus::Failed ||
        (fetched == FetchStatus::Complete && !download.receivedAny())) {
        report(packageNotice(fileName, "のダウンロードに失敗しました."));
        return UpdateOutcome::DownloadFailed;
    }
    // A write that failed stopped the transfer: what follows would have nowhere to go.
    const std::unique_ptr<SavedPackage> saved =
        fetched == FetchStatus::Complete ? download.save() : nullptr;
    if (!saved) {
        report(packageNotice(fileName, "を保存できませんでした" + becauseOf(download.error())));
        return UpdateOutcome::SaveFailed;
    }
    UpdateOutcome outcome = UpdateOutcome::OutOfMemory;
    try {
        outcome = checkAndInstall(*saved, *latest, download);
    } catch (const std::bad_alloc&) {
        cleanUp(*saved, outcome);
        throw;
    }
    cleanUp(*saved, outcome);
    return outcome;
}

UpdateOutcome UpdateService::Steps::checkAndInstall(SavedPackage& package,
                                                    const PublishedPackage& latest,
                                                    PackageDownload& download) {
    UpdateParts& parts = service.parts_;
    HeldPackageChecks checks;
    if (parts.packageFile.holdsSavedPackages()) {
        // The bytes checked are read through the handle the package will be started from;
        // reading and verifying a large package takes long enough to be served work.
        Md5Stream digest(parts.digests);
        const WaitOutcome served = parts.background.run(
            [&] {
                if (package.read([&](std::span<const std::uint8_t> piece) { digest.add(piece); },
                                 checks.readError)) {
                    checks.signature = parts.signatures.check(package);
                }
            },
            [] {});
        if (served == WaitOutcome::Quit) {
            service.quitDuringChecks_ = true;
            return UpdateOutcome::Interrupted;
        }
        checks.digest = checks.readError.empty() ? digest.finish(parts.log) : std::string();
    } else {
        checks.digest = download.digest();
        checks.signature = parts.signatures.check(package);
    }
    if (!checks.readError.empty()) {
        report(packageNotice(package.fileName(),
                             "を読み込めませんでした" + becauseOf(checks.readError)));
        return UpdateOutcome::SaveFailed;
    }
    if (!digestsMatch(upperCased(checks.digest), latest.digest)) {
        report(
            packageNotice(package.fileName(), "が不正のため、更新を中止しました.(MD5hashエラー)."));
        return UpdateOutcome::DigestMismatch;
    }
    if (const auto refused = checkSignature(checks.signature, package.fileName())) {
        return *refused;
    }
    return install(package, latest.name);
}

std::optional<UpdateOutcome> UpdateService::Steps::checkSignature(const SignatureCheck& check,
                                                                  const std::string& fileName) {
    KeptPublisher& kept = service.parts_.publisher;
    const bool needsPublisher = check.verdict == SignatureCheck::Verdict::Unsigned ||
                                check.verdict == SignatureCheck::Verdict::Valid;
    std::optional<std::string> required = std::string();
    if (needsPublisher) {
        // An administrator's publisher takes the place of the first one kept.
        required = request.requiredPublisher.empty() ? kept.read() : request.requiredPublisher;
    }
    if (!required) {
        report(packageNotice(fileName,
                             "の発行元を確認できないため、更新を中止しました."
                             "(発行元エラー)."));
        return UpdateOutcome::SignatureRefused;
    }
    switch (decideTrust(check, *required)) {
        case TrustDecision::Run:
            return std::nullopt;
        case TrustDecision::RunAndKeepPublisher:
            if (kept.keep(check.publisher)) {
                service.parts_.log.report(
                    "ウィルス定義ファイルの発行元(" + check.publisher + ")を記憶しました.", false,
                    true);
            }
            return std::nullopt;
        case TrustDecision::RefuseInvalid:
            report(packageNotice(
                fileName,
                "の署名が正しくないため、更新を中止しました.(署名エラー: " + check.reason + ")."));
            break;
        case TrustDecision::RefuseUnsigned:
            report(packageNotice(fileName, "に署名がないため、更新を中止しました.(署名エラー)."));
            break;
        case TrustDecision::RefuseOtherPublisher:
            report(
                packageNotice(fileName, "の発行元が異なるため、更新を中止しました.(発行元エラー: " +
                                            check.publisher + ")."));
            break;
    }
    return UpdateOutcome::SignatureRefused;
}

UpdateOutcome UpdateService::Steps::install(SavedPackage& package, const std::string& packageName) {
    UpdateParts& parts = service.parts_;
    const PackageStart started = start(package);
    switch (started.status) {
        case PackageStart::Status::Started:
            break;
        case PackageStart::Status::Declined:
            report(
                packageNotice(package.fileName(),
                              "を実行できませんでした(管理者としての実行が承認されませんでした)."));
            return UpdateOutcome::StartFailed;
        case PackageStart::Status::NeedsAdministrator:
        case PackageStart::Status::Failed:
            report(packageNotice(package.fileName(),
                                 "を実行できませんでした" + becauseOf(started.error)));
            return UpdateOutcome::StartFailed;
    }
    const std::int32_t watched = parts.processes.waitForProcess(started.processId);
    if (parts.processes.quitRequested()) {
        return UpdateOutcome::Interrupted;
    }
    if (watched == 0) {
        report("ウィルス定義の更新に失敗しました. 再実行してください(1). ");
        return UpdateOutcome::WaitFailed;
    }
    const std::string installed = service.installedVersion();
    if (installed != packageName) {
        report("ウィルス定義の更新に失敗しました. 再実行してください(2). ");
        return UpdateOutcome::NotConfirmed;
    }
    result.installedVersion = installed;
    report("ウィルス定義を " + formatDefinitionName(installed) + " に更新しました.");
    return UpdateOutcome::Updated;
}

// With the program's own rights where they suffice to install the definitions, else with
// an administrator's; and with an administrator's too where the system asks for them.
PackageStart UpdateService::Steps::start(SavedPackage& package) {
    PackageStart started;
    if (!package.releaseForStart(started.error)) {
        return started;
    }
    ProcessControl& processes = service.parts_.processes;
    const StartRights rights = processes.ownRightsSuffice(definitionsFolder(service.parts_.folders))
                                   ? StartRights::Own
                                   : StartRights::Administrator;
    started = processes.startPackage(package, "/q", rights);
    if (started.status == PackageStart::Status::NeedsAdministrator && rights == StartRights::Own) {
        started = processes.startPackage(package, "/q", StartRights::Administrator);
    }
    return started;
}

// A refused package goes even when packages are kept, so that no refused file stays under a
// runnable name; after an interruption nothing is reported, as the program is ending.
void UpdateService::Steps::cleanUp(SavedPackage& package, UpdateOutcome outcome) {
    const bool interrupted = outcome == UpdateOutcome::Interrupted;
    std::string error;
    if (request.keepPackages && outcome != UpdateOutcome::SignatureRefused) {
        if (!package.keep(error) && !interrupted) {
            report(packageNotice(package.fileName(), "を保存できませんでした" + becauseOf(error)));
        }
        return;
    }
    if (!package.discard(error) && !interrupted) {
        report(packageNotice(package.fileName(), "を削除できませんでした" + becauseOf(error)));
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

bool endedWell(UpdateOutcome outcome) {
    return outcome == UpdateOutcome::Updated || outcome == UpdateOutcome::UpToDate;
}

}  // namespace velmora
