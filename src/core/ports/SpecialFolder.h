#pragma once

#include <cstdint>
#include <string>

namespace velmora {

inline constexpr std::int32_t kCsidlProgramFilesCommon = 0x2B;

// The path of a shell folder without a trailing separator, or empty text when the lookup
// fails. Only the common program files folder is known: $VELMORA_COMMON_FILES when set,
// else /opt.
std::string GetSpecialFolder(std::int32_t folderId);

}  // namespace velmora
