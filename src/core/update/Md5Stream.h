#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "log/EventLog.h"
#include "log/RuntimeError.h"
#include "ports/DigestLibrary.h"

namespace velmora {

// The errors a digest reports, numbered as the familiar run-time errors.
// The digest library cannot start an MD5 digest.
inline const RuntimeError kDigestLibraryUnavailable{48, "Error in loading digest library"};
// The digest library failed while digesting.
inline const RuntimeError kDigestLibraryFailed{51, "Internal error"};
inline const RuntimeError kOutOfMemory{7, "Out of memory"};

// Two lowercase hexadecimal characters for each byte, in order.
std::string md5ToHex(std::span<const std::uint8_t> bytes);

// An MD5 digest fed piece by piece. Its result is the digest of all the pieces in order, as
// 32 lowercase hexadecimal characters; when the library fails at any step the pieces that
// follow are ignored and the result is empty text, with the error logged once.
class Md5Stream {
  public:
    explicit Md5Stream(DigestLibrary& library);

    void add(std::span<const std::uint8_t> piece);

    // Ends the digest. The error, if there was one, is logged as
    // "ERROR #<number> : <description>" (to the log only, whatever the user's logging
    // option). A second call gives empty text.
    std::string finish(EventLog& log);

  private:
    std::unique_ptr<DigestContext> context_;
    std::optional<RuntimeError> error_;
    bool finished_ = false;
};

}  // namespace velmora
