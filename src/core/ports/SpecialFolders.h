#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// The folders of the machine the program looks into, and what a user would see in them.
class SpecialFolders {
  public:
    virtual ~SpecialFolders() = default;

    // The common program files folder without a trailing separator, or empty text when it
    // cannot be found.
    virtual std::string commonProgramFiles() const = 0;

    // The names of the folders in `folder` that a user would see: hidden and system
    // entries are left out, a link to a folder counts as a folder, and an entry that
    // cannot be examined is skipped. A listing that fails part-way keeps what it found;
    // a folder that cannot be listed has none.
    virtual std::vector<std::string> visibleSubfolders(
        const std::filesystem::path& folder) const = 0;
};

}  // namespace velmora
