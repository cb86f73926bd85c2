#pragma once

#include <filesystem>
#include <vector>

namespace velmora {

// The per-user base folders of the XDG base directory convention. A variable that is
// unset, empty or not an absolute path falls back to its default under $HOME.
std::filesystem::path xdgConfigHome();
std::filesystem::path xdgStateHome();
std::filesystem::path xdgRuntimeDir();

// Where the single-instance lock may live, in the order to try them: $XDG_RUNTIME_DIR when
// it is an absolute path, then the private /tmp/velmora-<uid>. Every process of the user
// that finds the runtime folder unusable meets the others in the second.
std::vector<std::filesystem::path> instanceLockFolders();

}  // namespace velmora
