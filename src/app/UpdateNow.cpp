#include "UpdateNow.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "UpdateMachinery.h"
#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/KeptPublisher.h"
#include "settings/PolicyReader.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "update/SettingsForRun.h"

namespace velmora {

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

    Notifier& notifier = platform->commandLineNotifier();
    EventLog log(platform->logDestinations(), notifier, platform->localClock());
    Reg reg(platform->registry(), log);
    const ExecutableInfo& executable = platform->executable();
    const Policies policies = readPolicies(platform->policyStore(), log);
    RegistrySettings settings(reg, platform->autostart(),
                              startupEntryFor(executable.path, executable.exeName), policies);

    // A request to end stops a download, the checks or the installer wait like the tray's
    // exit item.
    const std::unique_ptr<EndRequests> endRequests = platform->watchEndRequests();
    const std::unique_ptr<EventLoopWait> events = platform->commandLineWait(*endRequests);
    UpdateMachinery update(*platform, reg, log, *events, progress);

    // Without a window there are no edits: the stored settings are the pending ones too.
    const LoadedSettings stored = settings.load();
    if (!stored.unreadableStore.empty()) {
        notifier.showNotice(stored.unreadableStore);
    }
    const bool showBox = true;
    const RunResult result =
        update.service.run(runRequestFor(stored.settings, stored.settings, stored.policies,
                                         update.service.installedVersion(), showBox));
    if (result.outcome == UpdateOutcome::Interrupted) {
        notifier.showNotice("ウィルス定義の更新を中断しました.");
    }
    return endedWell(result.outcome) ? 0 : 1;
}

int forgetPublisher() {
    const std::unique_ptr<Platform> platform = createPlatform();
    Notifier& notifier = platform->commandLineNotifier();
    EventLog log(platform->logDestinations(), notifier, platform->localClock());
    Reg reg(platform->registry(), log);
    KeptPublisher publisher(reg);
    const std::optional<std::string> kept = publisher.read();
    if (kept && kept->empty()) {
        notifier.showNotice("記憶している発行元はありません.");
        return 0;
    }
    if (!publisher.forget()) {
        notifier.showNotice("記憶している発行元を消せませんでした.");
        return 1;
    }
    notifier.showNotice("記憶していた発行元(" + kept.value_or("") + ")を消しました.");
    return 0;
}

}  // namespace velmora
