#pragma once

#include "ports/PackageFile.h"

namespace velmora {

// Creates the package in the working directory with O_CREAT | O_EXCL | O_NOFOLLOW after
// removing any file of its name, and keeps a read-only descriptor of that very file once it
// is written. Nothing keeps another program of the user from writing to it meanwhile, so
// the digest of record is the one taken while it was written. A kept package stays where it
// was written.
class PosixPackageFile final : public PackageFile {
  public:
    bool holdsSavedPackages() const override { return false; }
    std::unique_ptr<PackageWriter> create(const std::string& fileName, std::string& error) override;
};

}  // namespace velmora
