#include "UpdateMachinery.h"

#include <new>

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

}  // namespace velmora
