#pragma once

#include <string>

#include "ports/SpecialFolders.h"

namespace velmora {

// The definitions version (YYYYMMDD-RRR) of the newest definitions set installed under
// the common program files folder + "/Corvane Shared/Definitions/", or empty text when
// none qualifies.
std::string findInstalledDefinitions(const SpecialFolders& folders);

}  // namespace velmora
