#pragma once

#include <optional>
#include <string>
#include <utility>

#include "ports/SpecialFolders.h"

namespace velmora {

// The common program files folder is $VELMORA_COMMON_FILES when set, else /opt; names
// beginning with "." are hidden.
class LinuxSpecialFolders final : public SpecialFolders {
  public:
    LinuxSpecialFolders() = default;
    // Uses `commonProgramFiles` instead of the environment.
    explicit LinuxSpecialFolders(std::string commonProgramFiles)
        : commonProgramFiles_(std::move(commonProgramFiles)) {}

    std::string commonProgramFiles() const override;
    std::vector<std::string> visibleSubfolders(const std::filesystem::path& folder) const override;

  private:
    std::optional<std::string> commonProgramFiles_;
};

}  // namespace velmora
