#pragma once

#include <filesystem>

#include "ports/PackageFile.h"

namespace velmora {

// Saves packages in one folder. Whatever stands under the name is removed first (a link
// is removed, never followed) and the file is created anew; while it is written nobody
// else may write, rename or delete it, and once written it is held open for reading only,
// denying writers, so that the bytes that run are the bytes that were checked. The saved
// package's handle() is that HANDLE; its fileName() is the name given to create().
class WinPackageFile final : public PackageFile {
  public:
    // `folder`: a full path of an existing folder the packages are saved in.
    explicit WinPackageFile(std::filesystem::path folder);

    std::unique_ptr<PackageWriter> create(const std::string& fileName, std::string& error) override;
    bool remove(const std::string& fileName, std::string& error) override;

  private:
    // The full path of `fileName` in the folder; empty when the name is not a bare file
    // name (it would reach outside the folder).
    std::filesystem::path pathOf(const std::string& fileName) const;

    std::filesystem::path folder_;
};

}  // namespace velmora
