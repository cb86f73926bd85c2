#pragma once

#include <string>

#include "ports/SpecialFolders.h"

namespace velmora {

// The folder the product keeps its definitions sets in: the common program files folder +
// "/Corvane Shared/Definitions/", as UTF-8 text.
std::string definitionsFolder(const SpecialFolders& folders);

// The definitions version (YYYYMMDD-RRR) of the newest definitions set installed under
// the common program files folder + "/Corvane Shared/Definitions/", or empty text when
// none qualifies.
std::string findInstalledDefinitions(const SpecialFolders& folders);

}  // namespace velmora
