#include "UpdateNow.h"

#include <iostream>

#include "UpdateMachinery.h"
#include "linux/ExecutableInfo.h"
#include "linux/InstanceLock.h"
#include "linux/LocalTime.h"
#include "linux/PollEventLoopWait.h"
#include "linux/PosixRegistryBackend.h"
#include "linux/ProgramLog.h"
#include "linux/StdoutNotifier.h"
#include "linux/TerminationSignals.h"
#include "linux/XdgDirectories.h"
#include "log/EventLog.h"
#include "settings/Reg.h"
#include "settings/SettingsStore.h"
#include "window/MainWindow.h"

namespace velmora {

namespace {

bool endedWell(UpdateOutcome outcome) {
    return outcome == UpdateOutcome::Updated || outcome == UpdateOutcome::UpToDate;
}

}  // namespace

int runUpdateNow(ProgressDisplay progress) {
    const InstanceLock instance(instanceLockFolders());
    if (instance.outcome() == InstanceLock::Outcome::HeldElsewhere) {
        std::cerr << "velmora: another Velmora is running; nothing was done\n";
        return 3;
    }
    if (instance.outcome() == InstanceLock::Outcome::Unavailable) {
        // Without the lock a second run could start a second installer at the same time.
        std::cerr << "velmora: cannot tell whether another Velmora is running ("
                  << instance.problem() << "); nothing was done\n";
        return 3;
    }

    const ExecutableInfo executable = currentExecutable();
    StdoutNotifier notifier;
    EventLog log(programLogDestinations(executable), notifier, localTimeNow);
    PosixRegistryBackend registry(xdgConfigHome());
    Reg reg(registry, log);
    SettingsStore store(reg, MainWindowControls::kIntervalMinimum);
    MainWindow window(store, reg, executable.path, executable.exeName);

    // A request to end stops a download or the installer wait like the tray's exit item.
    const TerminationSignals endRequests;
    PollEventLoopWait events(endRequests.readDescriptor());
    UpdateMachinery update(window, store, log, events, progress);

    // What the start-up gives the run: the installed version and the stored settings. The
    // hash list is fetched by the run itself.
    window.showInstalledVersion(installedDefinitions());
    window.LoadSettings();

    update.scheduler.cmdUpdateVD_Click();
    return endedWell(update.run.lastOutcome()) ? 0 : 1;
}

}  // namespace velmora
