#pragma once

#include <string>

namespace velmora {

// The running executable as the program names it: its folder (App.Path) and its file
// name (App.EXEName).
struct ExecutableInfo {
    std::string path;
    std::string exeName;
};

}  // namespace velmora
