#include "UpdateNow.h"

#include <iostream>
#include <memory>

#include "UpdateMachinery.h"
#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/Reg.h"
#include "settings/SettingsStore.h"
#include "window/SettingsWindow.h"

namespace velmora {

namespace {

bool endedWell(UpdateOutcome outcome) {
    return outcome == UpdateOutcome::Updated || outcome == UpdateOutcome::UpToDate;
}

}  // namespace

int runUpdateNow(ProgressDisplay progress) {
    const std::unique_ptr<Platform> platform = createPlatform();
    const std::unique_ptr<SingleInstance> instance = platform->claimSingleInstance();
    if (instance->outcome() == SingleInstance::Outcome::HeldElsewhere) {
        std::cerr << "velmora: another Velmora is running; nothing was done\n";
        return 3;
    }
    if (instance->outcome() == SingleInstance::Outcome::Unavailable) {
        // Without the lock a second run could start a second installer at the same time.
        std::cerr << "velmora: cannot tell whether another Velmora is running ("
                  << instance->problem() << "); nothing was done\n";
        return 3;
    }

    const ExecutableInfo& executable = platform->executable();
    EventLog log(platform->logDestinations(), platform->commandLineNotifier(),
                 platform->localClock());
    Reg reg(platform->registry(), log);
    SettingsStore store(reg, SettingsWindowControls::kIntervalMinimum);
    SettingsWindow window(store, reg, platform->autostart(), executable.path, executable.exeName);

    // A request to end stops a download or the installer wait like the tray's exit item.
    const std::unique_ptr<EndRequests> endRequests = platform->watchEndRequests();
    const std::unique_ptr<EventLoopWait> events = platform->commandLineWait(*endRequests);
    UpdateMachinery update(*platform, window, store, log, *events, progress);

    // What the start-up gives the run: the installed version and the stored settings. The
    // hash list is fetched by the run itself.
    window.showInstalledVersion(update.installedDefinitions());
    window.loadSettings();

    update.scheduler.onUpdateNowClicked();
    return endedWell(update.run.lastOutcome()) ? 0 : 1;
}

}  // namespace velmora
