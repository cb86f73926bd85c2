#pragma once

#include "ports/PackageFile.h"

namespace velmora {

// Creates the package with O_CREAT | O_EXCL | O_NOFOLLOW after removing any file of its
// name, and keeps a read-only descriptor of that very file once it is written.
class PosixPackageFile final : public PackageFile {
  public:
    std::unique_ptr<PackageWriter> create(const std::string& fileName, std::string& error) override;
    bool remove(const std::string& fileName, std::string& error) override;
};

}  // namespace velmora
