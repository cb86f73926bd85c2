#pragma once

#include <optional>
#include <string>
#include <utility>

#include "ports/SpecialFolders.h"

namespace velmora {

// The common program files folder is $VELMORA_COMMON_FILES when set, else Windows' known
// folder for common program files; entries with the hidden or system attribute are hidden.
class WinSpecialFolders final : public SpecialFolders {
  public:
    WinSpecialFolders() = default;
    // Uses `commonProgramFiles` (UTF-8) instead of the environment and the known folder.
    explicit WinSpecialFolders(std::string commonProgramFiles)
        : commonProgramFiles_(std::move(commonProgramFiles)) {}

    std::string commonProgramFiles() const override;
    std::vector<std::string> visibleSubfolders(const std::filesystem::path& folder) const override;

  private:
    std::optional<std::string> commonProgramFiles_;
};

}  // namespace velmora
