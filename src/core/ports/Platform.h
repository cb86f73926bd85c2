#pragma once

#include <memory>

#include "log/EventLog.h"
#include "ports/Autostart.h"
#include "ports/Clock.h"
#include "ports/DigestLibrary.h"
#include "ports/DoneSignal.h"
#include "ports/EndRequests.h"
#include "ports/EventLoopWait.h"
#include "ports/ExecutableInfo.h"
#include "ports/HttpFetcher.h"
#include "ports/Notifier.h"
#include "ports/PackageFile.h"
#include "ports/ProcessControl.h"
#include "ports/RegistryBackend.h"
#include "ports/SignatureVerifier.h"
#include "ports/SingleInstance.h"
#include "ports/SpecialFolders.h"
#include "update/TransferProgress.h"

namespace velmora {

// This operating system's adapters, as the program puts them together: the one place that
// knows which they are.
class Platform {
  public:
    virtual ~Platform() = default;

    // Tries once, without waiting, to become the only Velmora of this user.
    virtual std::unique_ptr<SingleInstance> claimSingleInstance() = 0;
    // Starts turning requests to end the program into a handle; one watcher at a time, and
    // the former handling comes back when it goes.
    virtual std::unique_ptr<EndRequests> watchEndRequests() = 0;

    virtual const ExecutableInfo& executable() const = 0;
    // Where this executable logs: beside itself, else in the user's own folder.
    virtual LogDestinations logDestinations() const = 0;
    virtual LocalClock localClock() const = 0;
    virtual RegistryBackend& registry() = 0;
    // The administrator's policies: HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Tessaloy\Velmora, read
    // only, in a store no ordinary user can change.
    virtual RegistryBackend& policyStore() = 0;
    // The programs the user's session starts.
    virtual Autostart& autostart() = 0;
    virtual const SpecialFolders& specialFolders() const = 0;
    virtual DigestLibrary& digests() = 0;
    virtual PackageFile& packageFile() = 0;
    // Who signed a package, where this system can tell.
    virtual SignatureVerifier& signatures() = 0;
    // The signals a worker thread raises for the event-loop waits of this system.
    virtual DoneSignalMaker doneSignals() const = 0;

    // The notice of the command-line mode: a line on standard output.
    virtual Notifier& commandLineNotifier() = 0;
    // The wait of the command-line mode, which has no events to serve; a request from
    // `endRequests` ends it with Quit.
    virtual std::unique_ptr<EventLoopWait> commandLineWait(const EndRequests& endRequests) = 0;

    // An HTTP fetcher whose fetches keep `events` served and show their progress on
    // standard error as `progress` says.
    virtual std::unique_ptr<HttpFetcher> makeFetcher(EventLoopWait& events,
                                                     ProgressDisplay progress) = 0;
    // Starts packages and waits for them while `events` are served, logging to `log`.
    virtual std::unique_ptr<ProcessControl> makeProcessControl(EventLoopWait& events,
                                                               EventLog& log) = 0;
};

// The adapters of the operating system the program is built for; defined by that system's
// platform target.
std::unique_ptr<Platform> createPlatform();

}  // namespace velmora
