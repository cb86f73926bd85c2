#pragma once

#include <optional>
#include <string>

#include "log/EventLog.h"
#include "ports/DigestLibrary.h"
#include "ports/HttpFetcher.h"
#include "ports/PackageFile.h"
#include "ports/ProcessControl.h"
#include "ports/SignatureVerifier.h"
#include "ports/SpecialFolders.h"
#include "settings/KeptPublisher.h"
#include "update/BackgroundWork.h"
#include "update/Flavour.h"
#include "update/LatestPackage.h"
#include "update/VendorUrls.h"

namespace velmora {

// How a run ended.
enum class UpdateOutcome {
    NotRun,                // no run was made: one is in progress, or the program is ending
    NoPackageInformation,  // the hash list gave no package (reported by its look-up)
    UpToDate,
    DownloadFailed,
    SaveFailed,
    DigestMismatch,
    SignatureRefused,  // the package's signature does not hold, or is not the publisher's
    StartFailed,
    WaitFailed,    // the installer could not be watched to its end
    NotConfirmed,  // the installer ended but the new definitions did not arrive
    Updated,
    Interrupted,  // the program ended during the download, the checks or the installer wait
    OutOfMemory,  // memory ran out somewhere in the run
};

// What one run works with, taken whole as it begins, so that settings applied while the run
// waits for the download or the installer cannot pair one flavour's digest with another
// flavour's file.
struct RunRequest {
    Flavour flavour = Flavour::I32;
    bool keepPackages = false;     // downloaded packages stay on disk
    std::string installedVersion;  // YYYYMMDD-RRR, or empty when none is installed
    UpdateSource source = vendorSource();
    // A caching proxy may answer the package request; the hash list is always fresh.
    bool cachePackages = false;
    // The publisher packages must come from, set by an administrator in place of the one
    // kept from the first signed package; empty when none is set.
    std::string requiredPublisher{};
    bool showBox = false;     // report in message boxes
    bool writeToLog = false;  // report in the log
};

// How a run ended and what it found.
struct RunResult {
    UpdateOutcome outcome = UpdateOutcome::NotRun;
    // The newest package the hash list named (YYYYMMDD-RRR); empty when it named none.
    std::string newestPackage;
    // The installed version after the run: the request's, or the package's once its install
    // was confirmed.
    std::string installedVersion;
};

// Watches a run: told when it starts, what the hash list named, and how it ended, so that
// the settings it depends on can be kept from changing meanwhile and what it found shown.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    virtual void runStarting(Flavour flavour) = 0;
    virtual void newestPackageFound(const std::string& packageName) = 0;
    // After the report, on every way out.
    virtual void runEnded(const RunResult& result) = 0;
};

// The ports and parts a run works through.
struct UpdateParts {
    HttpFetcher& fetcher;
    PackageFile& packageFile;
    ProcessControl& processes;
    DigestLibrary& digests;
    SignatureVerifier& signatures;
    const SpecialFolders& folders;
    KeptPublisher& publisher;
    // Where the checks of a saved package run, so that events are served meanwhile.
    BackgroundWork& background;
    EventLog& log;
};

// Updates the virus definitions: one run from start to end (decide, download, save, verify,
// install, confirm, report, clean up), each taking a request and giving a result. Nothing is
// reported when the program ends during a run: the download stops and its file is removed,
// an installer keeps running.
class UpdateService {
  public:
    explicit UpdateService(UpdateParts parts);

    // Does nothing (NotRun) while a run is in progress (a timer tick served during the
    // installer wait) or after the program was asked to end.
    RunResult run(const RunRequest& request, RunObserver& observer);
    RunResult run(const RunRequest& request);

    // The newest published package of `flavour` at `source`, as the start-up shows it:
    // failures are reported as the flags say, a shortage of memory among them.
    std::optional<PublishedPackage> lookUpNewest(Flavour flavour, const UpdateSource& source,
                                                 bool showBox, bool writeToLog);
    // The newest installed definitions version, read afresh, or empty text.
    std::string installedVersion() const;

    bool inProgress() const { return inProgress_; }
    // True once a run was cut short because the program is ending.
    bool quitRequested() const;

  private:
    struct Steps;

    UpdateParts parts_;
    LatestPackageFinder finder_;
    bool inProgress_ = false;
    bool quitDuringChecks_ = false;
};

// Reports that a run or the start-up's look-up could not get the memory it needed. Gives
// up quietly when even the notice cannot be had.
void reportMemoryShortage(EventLog& log, bool showBox, bool writeToLog) noexcept;

// Whether the installed version sorts strictly before the package name, code unit by code
// unit; an empty installed version always does.
bool isUpdateNeeded(const std::string& installedVersion, const std::string& packageName);

// Hexadecimal digests compare without regard to the case of their letters.
bool digestsMatch(const std::string& actual, const std::string& expected);

// Whether a run ended as the user wants: updated, or already up to date.
bool endedWell(UpdateOutcome outcome);

}  // namespace velmora
