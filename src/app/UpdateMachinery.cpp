#include "UpdateMachinery.h"

#include <unistd.h>

#include <new>

#include "linux/LinuxSpecialFolders.h"
#include "update/BackgroundMd5.h"
#include "update/InstalledDefinitions.h"
#include "update/VendorUrls.h"

namespace velmora {

std::string installedDefinitions() {
    return GetInstalledDefinitions(LinuxSpecialFolders());
}

UpdateMachinery::UpdateMachinery(MainWindow& window, SettingsStore& store, EventLog& log,
                                 EventLoopWait& events, ProgressDisplay progress)
    : eventLog(log),
      progressLine(STDERR_FILENO, progress),
      reportedFetcher(curl, progressLine),
      fetcher(reportedFetcher, events),
      processes(events, log),
      finder(fetcher, log),
      windowDuringRun(window),
      run(windowDuringRun, fetcher, packageFile, processes, log,
          {[this](Flavour flavour, const Flag16& showBox, const Flag16& writeToLog) {
               return finder.FindLatestPackage(flavour, showBox, writeToLog);
           },
           [this, &log] { return std::make_unique<BackgroundMd5>(digests, log); },
           installedDefinitions}),
      scheduler(window, store, run, packageBaseUrl()) {}

std::optional<PublishedPackage> UpdateMachinery::lookUpLatestPackage(Flavour flavour,
                                                                     const Flag16& showBox,
                                                                     const Flag16& writeToLog) {
    try {
        return finder.FindLatestPackage(flavour, showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        ReportMemoryShortage(eventLog, showBox, writeToLog);
        return std::nullopt;
    }
}

}  // namespace velmora
