#pragma once

#include <string>

namespace velmora {

// The running executable as the program names it: its folder (App.Path) and its file
// name (App.EXEName). Linux executables carry no suffix, so the file name is taken whole.
struct ExecutableInfo {
    std::string path;
    std::string exeName;
};

// Read from /proc/self/exe; falls back to the current folder and "velmora" when the link
// cannot be read.
ExecutableInfo currentExecutable();

}  // namespace velmora
