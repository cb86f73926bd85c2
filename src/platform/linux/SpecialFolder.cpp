#include "ports/SpecialFolder.h"

#include <cstdlib>

namespace velmora {

std::string GetSpecialFolder(std::int32_t folderId) {
    if (folderId != kCsidlProgramFilesCommon) {
        return {};
    }
    const char* configured = std::getenv("VELMORA_COMMON_FILES");
    std::string folder = (configured != nullptr && *configured != '\0') ? configured : "/opt";
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace velmora
