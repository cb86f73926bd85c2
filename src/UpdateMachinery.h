#pragma once

#include <string>

#include "engine/LatestPackage.h"
#include "engine/UpdateRun.h"
#include "log/EventLog.h"
#include "platform/EventLoopWait.h"
#include "platform/digest/OpenSslDigestLibrary.h"
#include "platform/net/CurlFetcher.h"
#include "platform/posix/EventLoopFetcher.h"
#include "platform/posix/PosixPackageFile.h"
#include "platform/posix/PosixProcessControl.h"
#include "platform/posix/ProgressReportingFetcher.h"
#include "platform/posix/TerminalProgress.h"
#include "settings/MainWindow.h"
#include "settings/MainWindowRunObserver.h"
#include "settings/SettingsStore.h"
#include "shell/UpdateScheduler.h"

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
