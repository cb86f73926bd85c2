#pragma once

#include <filesystem>

#include "ports/PackageFile.h"

namespace velmora {

// Saves each package in a folder of its own under the user's packages folder: made for the
// run with a DACL for the user, SYSTEM and the Administrators only, reached without
// following a reparse point, and removed after the run. The file is created anew, marked
// for deletion until it has been checked (a program killed half way leaves nothing), and no
// one else may write to it from its creation to the installer's start: while it is written
// the writing handle shares reading only, and the saved package holds it open for reading
// while still denying writers. A kept package is moved into the packages folder under its
// name. Folders that earlier runs left behind (an installer still running when the program
// ended) are removed at the next run.
class WinPackageFile final : public PackageFile {
  public:
    // `folder`: the user's packages folder, made when missing; its parent must exist.
    explicit WinPackageFile(std::filesystem::path folder);

    bool holdsSavedPackages() const override { return true; }
    std::unique_ptr<PackageWriter> create(const std::string& fileName, std::string& error) override;

  private:
    std::filesystem::path folder_;
};

}  // namespace velmora
