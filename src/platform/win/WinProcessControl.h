#pragma once

#include <cstdint>
#include <map>

#include "log/EventLog.h"
#include "ports/EventLoopWait.h"
#include "ports/ProcessControl.h"
#include "win/UniqueHandle.h"

namespace velmora {

// Starts the package from the file its SavedPackage holds open, in that file's folder, as
// its bare file name with the argument, in a normal window that receives the focus: with
// CreateProcessW, no shell, for the program's own rights; with ShellExecuteExW's "runas"
// for an administrator's (Windows asks the user's consent). Waits for it through `events`,
// which serves the window messages meanwhile. The process handle of a started package is
// kept until it has been waited for, so the wait cannot fall on another process that was
// given the same id.
class WinProcessControl final : public ProcessControl {
  public:
    WinProcessControl(EventLoopWait& events, EventLog& log);

    bool ownRightsSuffice(const std::string& folder) override;
    PackageStart startPackage(const SavedPackage& package, const std::string& argument,
                              StartRights rights) override;
    std::int32_t waitForProcess(const std::int32_t& processId) override;
    bool quitRequested() const override { return quitRequested_; }

  private:
    PackageStart started(HANDLE process);
    UniqueHandle openProcess(std::int32_t processId);
    void reportError(std::uint32_t code);

    EventLoopWait& events_;
    EventLog& log_;
    std::map<std::int32_t, UniqueHandle> started_;
    bool quitRequested_ = false;
};

}  // namespace velmora
