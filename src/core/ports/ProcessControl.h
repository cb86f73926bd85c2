#pragma once

#include <cstdint>
#include <string>

#include "ports/PackageFile.h"

namespace velmora {

// Starts the definitions package and waits for it to end.
class ProcessControl {
  public:
    virtual ~ProcessControl() = default;

    // Starts the saved package itself (not whatever now stands under its name) without a
    // shell, with its file name as the program name and `argument` as its one argument,
    // its standard streams on the null device. Returns the process id, or 0 when nothing
    // could be started, with `error` describing why.
    virtual std::int32_t startPackage(const SavedPackage& package, const std::string& argument,
                                      std::string& error) = 0;

    // Non-zero when the process could be opened and was watched until it ended, whatever
    // its exit code; 0 when it could not be opened or the wait failed. Failures other than
    // a process that is already gone are logged as "ERROR #<number> : <description>".
    virtual std::int32_t waitForProcess(const std::int32_t& processId) = 0;

    // True once a wait was cut short because the program is ending: the caller must then
    // finish without touching the window, and the process is left running.
    virtual bool quitRequested() const = 0;
};

}  // namespace velmora
