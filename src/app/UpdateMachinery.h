#pragma once

#include <memory>
#include <optional>

#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/KeptPublisher.h"
#include "settings/Reg.h"
#include "update/BackgroundWork.h"
#include "update/UpdateService.h"

namespace velmora {

// Everything an update run needs, put together from the platform: its fetcher, package
// file, installer wait and signature check, and the update service over them. Shared by the
// resident program and --update-now, which differ in how the waits for a download, the
// checks and the installer serve other events (`events`) and in whether downloads show
// progress on standard error.
struct UpdateMachinery {
    UpdateMachinery(Platform& platform, Reg& reg, EventLog& log, EventLoopWait& events,
                    ProgressDisplay progress);
    UpdateMachinery(const UpdateMachinery&) = delete;
    UpdateMachinery& operator=(const UpdateMachinery&) = delete;

    // Whether a resident program may go on: nothing when it is the only Velmora of the
    // user, else its exit status: 0 when another runs (it ends silently), 3 when that
    // cannot be told (said on standard error), since two resident programs would run their
    // timers' updates at the same time.
    static std::optional<int> exitStatusUnlessAlone(const SingleInstance& instance);

    std::unique_ptr<HttpFetcher> fetcher;
    std::unique_ptr<ProcessControl> processes;
    ServedWork background;
    KeptPublisher publisher;
    UpdateService service;
};

}  // namespace velmora
