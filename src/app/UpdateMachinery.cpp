#include "UpdateMachinery.h"

#include <iostream>

namespace velmora {

UpdateMachinery::UpdateMachinery(Platform& platform, Reg& reg, EventLog& log, EventLoopWait& events,
                                 ProgressDisplay progress)
    : fetcher(platform.makeFetcher(events, progress)),
      processes(platform.makeProcessControl(events, log)),
      background(events, platform.doneSignals()),
      publisher(reg),
      service({.fetcher = *fetcher,
               .packageFile = platform.packageFile(),
               .processes = *processes,
               .digests = platform.digests(),
               .signatures = platform.signatures(),
               .folders = platform.specialFolders(),
               .publisher = publisher,
               .background = background,
               .log = log}) {}

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
