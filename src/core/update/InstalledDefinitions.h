#pragma once

#include <string>

namespace velmora {

// The definitions version (YYYYMMDD-RRR) of the newest definitions set installed under
// `commonProgramFiles` + "/Corvane Shared/Definitions/", or empty text when none
// qualifies. The caller passes GetSpecialFolder(kCsidlProgramFilesCommon).
std::string GetInstalledDefinitions(const std::string& commonProgramFiles);

}  // namespace velmora
