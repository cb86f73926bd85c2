#pragma once

#include <cstdint>
#include <map>

#include "log/EventLog.h"
#include "ports/EventLoopWait.h"
#include "ports/ProcessControl.h"
#include "win/UniqueHandle.h"

namespace velmora {

// Starts the package with CreateProcessW, no shell, from the file its SavedPackage holds
// open, and waits for it through `events` (which serves the window messages meanwhile).
// The process handle of a started package is kept until it has been waited for, so the
// wait cannot fall on another process that was given the same id.
class WinProcessControl final : public ProcessControl {
  public:
    WinProcessControl(EventLoopWait& events, EventLog& log);

    std::int32_t startPackage(const SavedPackage& package, const std::string& argument,
                              std::string& error) override;
    std::int32_t waitForProcess(const std::int32_t& processId) override;
    bool quitRequested() const override { return quitRequested_; }

  private:
    UniqueHandle openProcess(std::int32_t processId);
    void reportError(std::uint32_t code);

    EventLoopWait& events_;
    EventLog& log_;
    std::map<std::int32_t, UniqueHandle> started_;
    bool quitRequested_ = false;
};

}  // namespace velmora
