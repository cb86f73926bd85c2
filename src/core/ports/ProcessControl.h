#pragma once

#include <cstdint>
#include <string>

#include "ports/PackageFile.h"

namespace velmora {

// With whose rights a package is started.
enum class StartRights {
    Own,            // the program's own
    Administrator,  // an administrator's, after the user's consent where the system asks
};

// How a start ended.
struct PackageStart {
    enum class Status {
        Started,
        NeedsAdministrator,  // the system refused it the program's own rights
        Declined,            // the user did not consent to administrator rights
        Failed,              // nothing could be started; `error` says why
    };
    Status status = Status::Failed;
    std::int32_t processId = 0;
    std::string error;
};

// Starts the definitions package and waits for it to end.
class ProcessControl {
  public:
    virtual ~ProcessControl() = default;

    // Whether a package started with the program's own rights can write to `folder` (UTF-8;
    // it need not exist yet): the program runs as an administrator, or may create a file
    // there or in the nearest folder above it that exists.
    virtual bool ownRightsSuffice(const std::string& folder) = 0;

    // Starts the saved package itself (not whatever now stands under its name) without a
    // shell, with `argument` as its one argument.
    virtual PackageStart startPackage(const SavedPackage& package, const std::string& argument,
                                      StartRights rights) = 0;

    // Non-zero when the process could be opened and was watched until it ended, whatever
    // its exit code; 0 when it could not be opened or the wait failed. Failures other than
    // a process that is already gone are logged as "ERROR #<number> : <description>".
    virtual std::int32_t waitForProcess(const std::int32_t& processId) = 0;

    // True once a wait was cut short because the program is ending: the caller must then
    // finish without touching the window, and the process is left running.
    virtual bool quitRequested() const = 0;
};

}  // namespace velmora
