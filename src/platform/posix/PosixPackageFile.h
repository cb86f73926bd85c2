#pragma once

#include "platform/PackageFile.h"

namespace velmora {

// Saves the package with O_CREAT | O_EXCL | O_NOFOLLOW after removing any file of its name,
// in large writes.
class PosixPackageFile final : public PackageFile {
  public:
    bool save(const std::string& fileName, const ByteBuffer& bytes, std::size_t count,
              std::string& error) override;
    bool remove(const std::string& fileName, std::string& error) override;
};

}  // namespace velmora
