#pragma once

#include <string>

namespace velmora {

// The placeholder shown when there is no definitions version to display.
inline constexpr const char* kNoDefinitionName = "----/--/-- rev. ---";

// The display form of a 12-character definitions version or package name, YYYYMMDD?RRR
// (the 9th character is not looked at): "2004/11/14 rev. 17". Any other length gives the
// placeholder.
std::string formatDefinitionName(const std::string& name);

}  // namespace velmora
