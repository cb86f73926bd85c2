#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/SettingsStore.h"
#include "shell/Lifecycle.h"
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

    // What the resident program's start-up does through this machinery, the newest package
    // looked up for the flavour `store` holds; `endProgram` ends the system's event loop.
    LifecycleSteps startUpSteps(SettingsStore& store, std::function<void()> endProgram);

    // Whether a resident program may go on: nothing when it is the only Velmora of the
    // user, else its exit status: 0 when another runs (it ends silently), 3 when that
    // cannot be told (said on standard error), since two resident programs would run their
    // timers' updates at the same time.
    static std::optional<int> exitStatusUnlessAlone(const SingleInstance& instance);

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
