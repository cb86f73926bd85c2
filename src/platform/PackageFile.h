#pragma once

#include <cstddef>
#include <string>

#include "platform/ByteBuffer.h"

namespace velmora {

// The downloaded package on disk, under its bare file name in the working directory.
class PackageFile {
  public:
    virtual ~PackageFile() = default;

    // Replaces any file of that name with a new file holding exactly the first `count`
    // bytes, executable by its owner only. Never follows a link planted under the name and
    // never appends. False, with `error` describing why, when it could not; nothing of a
    // half-written file is left behind.
    virtual bool save(const std::string& fileName, const ByteBuffer& bytes, std::size_t count,
                      std::string& error) = 0;

    // Deletes the file; a file that is already gone counts as deleted.
    virtual bool remove(const std::string& fileName, std::string& error) = 0;
};

}  // namespace velmora
