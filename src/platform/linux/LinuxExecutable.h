#pragma once

#include "ports/ExecutableInfo.h"

namespace velmora {

// The running executable, read from /proc/self/exe; Linux executables carry no suffix, so
// the file name is taken whole. Falls back to the current folder and "velmora" when the
// link cannot be read.
ExecutableInfo currentExecutable();

}  // namespace velmora
