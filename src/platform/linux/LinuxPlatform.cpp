#include "linux/LinuxPlatform.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "linux/EventFdSignal.h"
#include "linux/InstanceLock.h"
#include "linux/LocalTime.h"
#include "linux/PollEventLoopWait.h"
#include "linux/PosixProcessControl.h"
#include "linux/ProgramLog.h"
#include "linux/ProgressReportingFetcher.h"
#include "linux/TerminalProgress.h"
#include "linux/TerminationSignals.h"
#include "linux/XdgDirectories.h"
#include "update/EventLoopFetcher.h"

namespace velmora {

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Tests and administrators who keep policies elsewhere name the file in the environment.
std::filesystem::path policyFilePath() {
    const std::string configured = environmentValue("VELMORA_POLICY_FILE");
    return configured.empty() ? PolicyFile::kDefaultPath : configured;
}

// libcurl's blocking fetch, with its progress line on standard error, run on a worker
// thread while the caller's events are served.
class LinuxFetcher final : public HttpFetcher {
  public:
    LinuxFetcher(EventLoopWait& events, ProgressDisplay progress)
        : curl_(FetchTimeouts{}, environmentValue("CURL_CA_BUNDLE")),
          progressLine_(STDERR_FILENO, progress),
          reported_(curl_, progressLine_),
          served_(reported_, events, makeEventFdSignal) {}

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override {
        return served_.fetch(sourceUrl, maxBytes, receiver, cache);
    }
    void cancel() override { served_.cancel(); }
    bool cancelled() const override { return served_.cancelled(); }

  private:
    CurlFetcher curl_;
    TerminalProgress progressLine_;
    ProgressReportingFetcher reported_;
    EventLoopFetcher served_;
};

}  // namespace

LinuxPlatform::LinuxPlatform()
    : registry_(xdgConfigHome()),
      policies_(policyFilePath()),
      autostart_(xdgConfigHome() / "autostart") {}

std::unique_ptr<SingleInstance> LinuxPlatform::claimSingleInstance() {
    return std::make_unique<InstanceLock>(instanceLockFolders());
}

std::unique_ptr<EndRequests> LinuxPlatform::watchEndRequests() {
    return std::make_unique<TerminationSignals>();
}

DoneSignalMaker LinuxPlatform::doneSignals() const {
    return makeEventFdSignal;
}

LogDestinations LinuxPlatform::logDestinations() const {
    return programLogDestinations(executable_);
}

LocalClock LinuxPlatform::localClock() const {
    return localLogStamp;
}

std::unique_ptr<EventLoopWait> LinuxPlatform::commandLineWait(const EndRequests& endRequests) {
    return std::make_unique<PollEventLoopWait>(static_cast<int>(endRequests.handle().native()));
}

std::unique_ptr<HttpFetcher> LinuxPlatform::makeFetcher(EventLoopWait& events,
                                                        ProgressDisplay progress) {
    return std::make_unique<LinuxFetcher>(events, progress);
}

std::unique_ptr<ProcessControl> LinuxPlatform::makeProcessControl(EventLoopWait& events,
                                                                  EventLog& log) {
    return std::make_unique<PosixProcessControl>(events, log);
}

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<LinuxPlatform>();
}

}  // namespace velmora
