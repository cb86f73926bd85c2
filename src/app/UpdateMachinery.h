#pragma once

#include <string>

#include "curl/CurlFetcher.h"
#include "linux/EventLoopFetcher.h"
#include "linux/PosixPackageFile.h"
#include "linux/PosixProcessControl.h"
#include "linux/ProgressReportingFetcher.h"
#include "linux/TerminalProgress.h"
#include "log/EventLog.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "ports/EventLoopWait.h"
#include "settings/SettingsStore.h"
#include "shell/UpdateScheduler.h"
#include "update/LatestPackage.h"
#include "update/UpdateRun.h"
#include "window/MainWindow.h"
#include "window/MainWindowRunObserver.h"

namespace velmora {

// The installed definitions version of this machine, read afresh.
std::string installedDefinitions();

// Everything an update run needs, put together over the settings window and its store:
// the fetcher, the digest, the package file, the installer wait, the hash-list look-up,
// the run and its two triggers. Shared by the resident program and --update-now, which
// differ in how the waits for a download and for the installer serve other events
// (`events`) and in whether downloads show progress on standard error.
struct UpdateMachinery {
    UpdateMachinery(MainWindow& window, SettingsStore& store, EventLog& log, EventLoopWait& events,
                    ProgressDisplay progress);
    UpdateMachinery(const UpdateMachinery&) = delete;
    UpdateMachinery& operator=(const UpdateMachinery&) = delete;

    // FindLatestPackage for the start-up, where a shortage of memory is reported like the
    // look-up's other failures instead of ending the program.
    std::optional<PublishedPackage> lookUpLatestPackage(Flavour flavour, const Flag16& showBox,
                                                        const Flag16& writeToLog);

    EventLog& eventLog;
    CurlFetcher curl;
    TerminalProgress progressLine;
    ProgressReportingFetcher reportedFetcher;
    EventLoopFetcher fetcher;
    OpenSslDigestLibrary digests;
    PosixPackageFile packageFile;
    PosixProcessControl processes;
    LatestPackageFinder finder;
    MainWindowRunObserver windowDuringRun;
    UpdateRun run;
    UpdateScheduler scheduler;
};

}  // namespace velmora
