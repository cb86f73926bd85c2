#include "UpdateMachinery.h"

#include <unistd.h>

#include <new>

#include "engine/BackgroundMd5.h"
#include "engine/InstalledDefinitions.h"
#include "engine/VendorUrls.h"
#include "platform/SpecialFolder.h"

namespace velmora {

std::string installedDefinitions() {
    return GetInstalledDefinitions(GetSpecialFolder(kCsidlProgramFilesCommon));
}

UpdateMachinery::UpdateMachinery(MainWindow& window, SettingsStore& store, EventLog& log,
                                 EventLoopWait& events, ProgressDisplay progress)
    : eventLog(log),
      progressLine(STDERR_FILENO, progress),
      reportedFetcher(curl, progressLine),
      fetcher(reportedFetcher, events),
      processes(events, log),
      finder(window.lblLatstVDFileName, window.optIUP, store, fetcher, log),
      run(window, store, fetcher, packageFile, processes, log,
          {[this](const Flag16& showBox, const Flag16& writeToLog) {
               return finder.FindLatestPackage(showBox, writeToLog);
           },
           [this, &log] { return std::make_unique<BackgroundMd5>(digests, log); },
           installedDefinitions}),
      scheduler(window, store, run, packageBaseUrl()) {}

std::string UpdateMachinery::lookUpLatestPackage(const Flag16& showBox, const Flag16& writeToLog) {
    try {
        return finder.FindLatestPackage(showBox, writeToLog);
    } catch (const std::bad_alloc&) {
        ReportMemoryShortage(eventLog, showBox, writeToLog);
        return {};
    }
}

}  // namespace velmora
