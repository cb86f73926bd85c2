#pragma once

#include <shlobj.h>

#include <filesystem>

namespace velmora {

// The path of a known folder (FOLDERID_...) of the current user, or an empty path when
// Windows has none.
std::filesystem::path knownFolderPath(REFKNOWNFOLDERID id);

}  // namespace velmora
