#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace velmora {

// The 16 digest bytes in the order RFC 1321 gives them.
using Md5Digest = std::array<std::uint8_t, 16>;

// One MD5 digest under way. Each step reports whether the library managed it.
class DigestContext {
  public:
    virtual ~DigestContext() = default;
    virtual bool MD5Update(const std::uint8_t* data, std::size_t length) = 0;
    virtual bool MD5Final(Md5Digest& digest) = 0;
};

// The digest library: starts MD5 digests.
class DigestLibrary {
  public:
    virtual ~DigestLibrary() = default;
    // A fresh context, or nullptr when the library cannot make MD5 digests.
    virtual std::unique_ptr<DigestContext> MD5Init() = 0;
};

}  // namespace velmora
