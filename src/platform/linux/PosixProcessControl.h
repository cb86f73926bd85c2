#pragma once

#include "log/EventLog.h"
#include "ports/EventLoopWait.h"
#include "ports/ProcessControl.h"

namespace velmora {

// Starts the package with posix_spawn through its open file and watches them through a pidfd inside
// the event loop.
class PosixProcessControl final : public ProcessControl {
  public:
    PosixProcessControl(EventLoopWait& events, EventLog& log);

    bool ownRightsSuffice(const std::string& folder) override;
    PackageStart startPackage(const SavedPackage& package, const std::string& argument,
                              StartRights rights) override;
    std::int32_t waitForProcess(const std::int32_t& processId) override;
    bool quitRequested() const override { return quitRequested_; }

  private:
    void reportError(int errorNumber);

    EventLoopWait& events_;
    EventLog& log_;
    bool quitRequested_ = false;
};

}  // namespace velmora
