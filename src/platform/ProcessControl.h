#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Starts the definitions package and waits for it to end.
class ProcessControl {
  public:
    virtual ~ProcessControl() = default;

    // Starts a command line without a shell: the first word is the program, the others its
    // arguments; a bare program name is taken from the working directory, never searched
    // for. Returns the process id, or 0 when nothing could be started, with `error`
    // describing why.
    virtual std::int32_t startProgram(const std::string& commandLine, std::string& error) = 0;

    // Non-zero when the process could be opened and was watched until it ended, whatever
    // its exit code; 0 when it could not be opened or the wait failed. Failures other than
    // a process that is already gone are logged as "ERROR #<number> : <description>".
    virtual std::int32_t WaitForProcess(const std::int32_t& processId) = 0;

    // True once a wait was cut short because the program is ending: the caller must then
    // finish without touching the window, and the process is left running.
    virtual bool quitRequested() const = 0;
};

}  // namespace velmora
