#include "UpdateMachinery.h"

#include <iostream>
#include <new>
#include <utility>

#include "update/BackgroundMd5.h"
#include "update/InstalledDefinitions.h"
#include "update/VendorUrls.h"

namespace velmora {

UpdateMachinery::UpdateMachinery(Platform& platform, SettingsWindow& window, SettingsStore& store,
                                 EventLog& log, EventLoopWait& events, ProgressDisplay progress)
    : folders(platform.specialFolders()),
      eventLog(log),
      fetcher(platform.makeFetcher(events, progress)),
      processes(platform.makeProcessControl(events, log)),
      finder(*fetcher, log),
      windowDuringRun(window),
      run(windowDuringRun, *fetcher, platform.packageFile(), *processes, log,
          {[this](Flavour flavour, bool showBox, bool writeToLog) {
               return finder.lookUp(flavour, showBox, writeToLog);
           },
           [&platform, &log] { return std::make_unique<BackgroundMd5>(platform.digests(), log); },
           [this] { return installedDefinitions(); }}),
      scheduler(window, store, run, packageBaseUrl()) {}

std::string UpdateMachinery::installedDefinitions() const {
    return findInstalledDefinitions(folders);
}

std::optional<PublishedPackage> UpdateMachinery::lookUpLatestPackage(Flavour flavour, bool showBox,
                                                                     bool writeToLog) {
    try {
        return finder.lookUp(flavour, showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        reportMemoryShortage(eventLog, showBox, writeToLog);
        return std::nullopt;
    }
}

LifecycleSteps UpdateMachinery::startUpSteps(SettingsStore& store,
                                             std::function<void()> endProgram) {
    return {
        .resetTickCounter = [this] { scheduler.resetTickCounter(); },
        .installedDefinitions = [this] { return installedDefinitions(); },
        .findLatestPackage =
            [this, &store](bool showBox, bool writeToLog) {
                return lookUpLatestPackage(store.storedFlavour(), showBox, writeToLog);
            },
        .endProgram = std::move(endProgram),
    };
}

std::optional<int> UpdateMachinery::exitStatusUnlessAlone(const SingleInstance& instance) {
    switch (instance.outcome()) {
        case SingleInstance::Outcome::Acquired:
            return std::nullopt;
        case SingleInstance::Outcome::HeldElsewhere:
            return 0;
        case SingleInstance::Outcome::Unavailable:
            break;
    }
    std::cerr << "velmora: cannot tell whether another Velmora is running (" << instance.problem()
              << "); not started\n";
    return 3;
}

}  // namespace velmora
