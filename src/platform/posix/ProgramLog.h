#pragma once

#include "log/EventLog.h"
#include "platform/posix/ExecutableInfo.h"

namespace velmora {

// Where the running program logs: beside its executable (folder, base name, ".log"), and
// when that cannot be written, under $XDG_STATE_HOME/velmora/ with the same file name.
LogDestinations programLogDestinations(const ExecutableInfo& executable);

}  // namespace velmora
