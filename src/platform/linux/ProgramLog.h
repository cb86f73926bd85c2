#pragma once

#include "linux/LinuxExecutable.h"
#include "log/EventLog.h"

namespace velmora {

// Appends a line to a regular file only: a symbolic link is not followed and a pipe or
// device is not waited on, so neither can take the log elsewhere or hang the program.
bool appendToRegularFile(const std::filesystem::path& file, const std::string& line);

// Where the running program logs: beside its executable (folder, base name, ".log"), and
// when that cannot be written, under $XDG_STATE_HOME/velmora/ with the same file name.
LogDestinations programLogDestinations(const ExecutableInfo& executable);

}  // namespace velmora
