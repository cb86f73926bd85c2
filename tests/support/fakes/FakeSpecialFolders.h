#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "ports/SpecialFolders.h"

namespace velmora::test {

// The common program files folder at a path the test chooses; a folder's subfolders are
// the real ones below it (tests make them in a temporary folder), none of them hidden.
class FakeSpecialFolders final : public SpecialFolders {
  public:
    explicit FakeSpecialFolders(std::filesystem::path common) : common_(std::move(common)) {}

    std::string commonProgramFiles() const override { return common_.string(); }

    std::vector<std::string> visibleSubfolders(const std::filesystem::path& folder) const override {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.is_directory(error)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path common_;
};

}  // namespace velmora::test
