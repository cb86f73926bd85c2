#pragma once

namespace velmora {

// For velmora.com started without arguments: starts the desktop program velmora.exe beside
// it, detached from the console, and gives the exit status (1, with a line on standard error,
// when it cannot be started).
int handOverToDesktopProgram();

}  // namespace velmora
