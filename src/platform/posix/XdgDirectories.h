#pragma once

#include <filesystem>

namespace velmora {

// The per-user base folders of the XDG base directory convention. A variable that is
// unset, empty or not an absolute path falls back to its default under $HOME.
std::filesystem::path xdgConfigHome();
std::filesystem::path xdgStateHome();
std::filesystem::path xdgRuntimeDir();

}  // namespace velmora
