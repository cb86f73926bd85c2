#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "log/EventLog.h"
#include "ports/HttpFetcher.h"
#include "ports/PackageFile.h"
#include "ports/ProcessControl.h"
#include "update/BackgroundMd5.h"
#include "update/LatestPackage.h"
#include "update/UpdateRunObserver.h"

namespace velmora {

// The procedures of other parts of the program that a run calls.
struct UpdateRunProcedures {
    // The newest package of the flavour with its digest as listed; nothing after a reported
    // failure.
    std::function<std::optional<PublishedPackage>(Flavour flavour, bool showBox, bool writeToLog)>
        lookUp;
    // Starts an MD5 digest that is handed the package's bytes as they arrive.
    std::function<std::unique_ptr<BackgroundMd5>()> startDigest;
    // The newest installed definitions version, read afresh, or empty text.
    std::function<std::string()> findInstalledDefinitions;
};

// How a run ended.
enum class UpdateOutcome {
    NotRun,                // no run has ended yet
    NoPackageInformation,  // the hash list gave no package (reported by its lookup)
    UpToDate,
    DownloadFailed,
    SaveFailed,
    DigestMismatch,
    StartFailed,
    WaitFailed,    // the installer could not be watched to its end
    NotConfirmed,  // the installer ended but the new definitions did not arrive
    Updated,
    Interrupted,  // the program ended during the download or the installer wait
    OutOfMemory,  // memory ran out somewhere in the run
};

// One update of the virus definitions from start to end: decide, download, save, verify,
// install, confirm, report and clean up, with the observer told when the run starts and
// ends so that the settings it depends on stay as they are meanwhile. The end is told on
// every way out, marked as interrupted when the program ends during the download (the
// transfer stops and its file is removed) or the installer wait (the installer keeps
// running); nothing is reported then.
class UpdateRun {
  public:
    UpdateRun(UpdateRunObserver& observer, HttpFetcher& fetcher, PackageFile& packageFile,
              ProcessControl& processes, EventLog& log, UpdateRunProcedures procedures);

    // Does nothing while a run is in progress (a timer tick served during the installer
    // wait) or after the program was asked to end. `inputs` is taken as a copy: events
    // served during the run must not reach what it works with.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): the copy is the run's snapshot.
    void updateDefinitions(UpdateRunInputs inputs, const std::string& baseUrl, bool showBox,
                           bool writeToLog);

    bool inProgress() const { return inProgress_; }
    UpdateOutcome lastOutcome() const { return lastOutcome_; }
    // True once a run was cut short because the program is ending.
    bool quitRequested() const { return fetcher_.cancelled() || processes_.quitRequested(); }

  private:
    class ObservedRun;

    UpdateOutcome runSteps(const UpdateRunInputs& inputs, const std::string& baseUrl, bool showBox,
                           bool writeToLog);
    UpdateOutcome installAndConfirm(const SavedPackage& package, const std::string& packageName,
                                    bool showBox, bool writeToLog);
    void cleanUp(const UpdateRunInputs& inputs, const std::string& fileName, bool showBox,
                 bool writeToLog);

    UpdateRunObserver& observer_;
    HttpFetcher& fetcher_;
    PackageFile& packageFile_;
    ProcessControl& processes_;
    EventLog& log_;
    UpdateRunProcedures procedures_;
    bool inProgress_ = false;
    UpdateOutcome lastOutcome_ = UpdateOutcome::NotRun;
};

// Reports that a run or the start-up's look-up could not get the memory it needed. Gives
// up quietly when even the notice cannot be had.
void reportMemoryShortage(EventLog& log, bool showBox, bool writeToLog) noexcept;

// Whether the installed version sorts strictly before the package name, code unit by code
// unit; an empty installed version always does.
bool isUpdateNeeded(const std::string& installedVersion, const std::string& packageName);

// Hexadecimal digests compare without regard to the case of their letters.
bool digestsMatch(const std::string& actual, const std::string& expected);

}  // namespace velmora
