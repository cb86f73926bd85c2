#pragma once

#include <memory>
#include <optional>
#include <string>

#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/SettingsStore.h"
#include "shell/UpdateScheduler.h"
#include "update/LatestPackage.h"
#include "update/UpdateRun.h"
#include "window/SettingsWindow.h"
#include "window/SettingsWindowRunObserver.h"

namespace velmora {

// Everything an update run needs, put together over the settings window and its store:
// the platform's fetcher, digest, package file and installer wait, the hash-list look-up,
// the run and its two triggers. Shared by the resident program and --update-now, which
// differ in how the waits for a download and for the installer serve other events
// (`events`) and in whether downloads show progress on standard error.
struct UpdateMachinery {
    UpdateMachinery(Platform& platform, SettingsWindow& window, SettingsStore& store, EventLog& log,
                    EventLoopWait& events, ProgressDisplay progress);
    UpdateMachinery(const UpdateMachinery&) = delete;
    UpdateMachinery& operator=(const UpdateMachinery&) = delete;

    // The installed definitions version of this machine, read afresh.
    std::string installedDefinitions() const;

    // lookUp for the start-up, where a shortage of memory is reported like the
    // look-up's other failures instead of ending the program.
    std::optional<PublishedPackage> lookUpLatestPackage(Flavour flavour, bool showBox,
                                                        bool writeToLog);

    const SpecialFolders& folders;
    EventLog& eventLog;
    std::unique_ptr<HttpFetcher> fetcher;
    std::unique_ptr<ProcessControl> processes;
    LatestPackageFinder finder;
    SettingsWindowRunObserver windowDuringRun;
    UpdateRun run;
    UpdateScheduler scheduler;
};

}  // namespace velmora
