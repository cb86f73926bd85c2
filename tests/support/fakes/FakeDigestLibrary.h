#pragma once

#include <cstdint>
#include <memory>

#include "ports/DigestLibrary.h"

namespace velmora::test {

// A stand-in for MD5 that needs no library: two FNV-1a sums with different seeds fill the
// 16 bytes. Not MD5, but a different body gives a different digest, which is all the logic
// above it compares.
class FakeDigestLibrary final : public DigestLibrary {
  public:
    std::unique_ptr<DigestContext> MD5Init() override { return std::make_unique<Context>(); }

  private:
    class Context final : public DigestContext {
      public:
        bool MD5Update(const std::uint8_t* data, std::size_t length) override {
            for (std::size_t i = 0; i < length; ++i) {
                low_ = (low_ ^ data[i]) * kPrime;
                high_ = (high_ ^ data[i]) * kPrime;
            }
            return true;
        }
        bool MD5Final(Md5Digest& digest) override {
            for (std::size_t i = 0; i < 8; ++i) {
                digest[i] = static_cast<std::uint8_t>(low_ >> (8 * i));
                digest[8 + i] = static_cast<std::uint8_t>(high_ >> (8 * i));
            }
            return true;
        }

      private:
        static constexpr std::uint64_t kPrime = 0x100000001b3ULL;
        std::uint64_t low_ = 0xcbf29ce484222325ULL;
        std::uint64_t high_ = 0x84222325cbf29ce4ULL;
    };
};

}  // namespace velmora::test
