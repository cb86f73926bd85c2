#include "win/WinPlatform.h"

#include <shlobj.h>

#include <system_error>

#include "update/EventLoopFetcher.h"
#include "win/ConsoleEndRequests.h"
#include "win/EventSignal.h"
#include "win/MessageLoopWait.h"
#include "win/NamedMutexInstance.h"
#include "win/WinInetFetcher.h"
#include "win/WinKnownFolder.h"
#include "win/WinLogFile.h"
#include "win/WinProcessControl.h"

namespace velmora {

namespace {

// WinINet's blocking fetch, run on a worker thread while the caller's messages are served.
class WinFetcher final : public HttpFetcher {
  public:
    explicit WinFetcher(EventLoopWait& events) : served_(wininet_, events, makeEventSignal) {}

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override {
        return served_.fetch(sourceUrl, maxBytes, receiver, cache);
    }
    void cancel() override { served_.cancel(); }
    bool cancelled() const override { return served_.cancelled(); }

  private:
    WinInetFetcher wininet_;
    EventLoopFetcher served_;
};

}  // namespace

std::filesystem::path packageFolder() {
    std::filesystem::path localAppData = knownFolderPath(FOLDERID_LocalAppData);
    if (localAppData.empty()) {
        localAppData = std::filesystem::temp_directory_path();
    }
    return localAppData / "Velmora" / "Packages";
}

DoneSignalMaker WinPlatform::doneSignals() const {
    return makeEventSignal;
}

std::unique_ptr<SingleInstance> WinPlatform::claimSingleInstance() {
    return std::make_unique<NamedMutexInstance>();
}

std::unique_ptr<EndRequests> WinPlatform::watchEndRequests() {
    return std::make_unique<ConsoleEndRequests>();
}

LogDestinations WinPlatform::logDestinations() const {
    return programLogDestinations(executable_);
}

LocalClock WinPlatform::localClock() const {
    return localLogStamp;
}

std::unique_ptr<EventLoopWait> WinPlatform::commandLineWait(const EndRequests& endRequests) {
    return std::make_unique<MessageLoopWait>(endRequests.handle());
}

// Windows shows no progress line yet: `progress` is accepted and has no effect.
std::unique_ptr<HttpFetcher> WinPlatform::makeFetcher(EventLoopWait& events,
                                                      ProgressDisplay /*progress*/) {
    return std::make_unique<WinFetcher>(events);
}

std::unique_ptr<ProcessControl> WinPlatform::makeProcessControl(EventLoopWait& events,
                                                                EventLog& log) {
    return std::make_unique<WinProcessControl>(events, log);
}

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<WinPlatform>();
}

}  // namespace velmora
