#pragma once

#include "log/EventLog.h"
#include "ports/ExecutableInfo.h"

namespace velmora {

// The running executable (GetModuleFileNameW): its folder, and its file name without the
// extension, as App.EXEName gives it. Falls back to the current folder and "velmora" when
// Windows cannot tell.
ExecutableInfo currentExecutable();

// Where the running program logs: beside its executable (folder, base name, ".log"), and
// when that cannot be written (Program Files, an ordinary user), in
// %LOCALAPPDATA%\Velmora\ with the same file name.
LogDestinations programLogDestinations(const ExecutableInfo& executable);

}  // namespace velmora
