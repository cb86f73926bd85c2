#include "linux/LinuxSpecialFolders.h"

#include <cstdlib>
#include <system_error>

namespace velmora {

namespace {

bool isHidden(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

// Attributes are read through links, so a link to a folder counts as one. An entry whose
// attributes cannot be read (it vanished, it is a dangling link or a link loop) is not one.
bool isFolder(const std::filesystem::path& entry) {
    std::error_code error;
    return std::filesystem::is_directory(entry, error) && !error;
}

}  // namespace

std::string LinuxSpecialFolders::commonProgramFiles() const {
    std::string folder;
    if (commonProgramFiles_) {
        folder = *commonProgramFiles_;
    } else {
        const char* configured = std::getenv("VELMORA_COMMON_FILES");
        folder = (configured != nullptr && *configured != '\0') ? configured : "/opt";
    }
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

std::vector<std::string> LinuxSpecialFolders::visibleSubfolders(
    const std::filesystem::path& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        if (!isHidden(name) && isFolder(entries->path())) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

}  // namespace velmora
