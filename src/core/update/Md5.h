#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "log/EventLog.h"
#include "log/RuntimeError.h"
#include "ports/ByteBuffer.h"
#include "ports/DigestLibrary.h"

namespace velmora {

// The errors md5OfBytes reports, numbered as the familiar run-time errors.
// A buffer with no element 0, or a count reaching past its end.
inline const RuntimeError kSubscriptOutOfRange{9, "Subscript out of range"};
// The digest library cannot start an MD5 digest.
inline const RuntimeError kDigestLibraryUnavailable{48, "Error in loading digest library"};
// The digest library failed while digesting.
inline const RuntimeError kDigestLibraryFailed{51, "Internal error"};
inline const RuntimeError kOutOfMemory{7, "Out of memory"};

// The MD5 digest of the first `count` bytes of `buffer`, as 32 lowercase hexadecimal
// characters, computed in one pass over the buffer in memory. When it cannot be made, the
// error is logged as "ERROR #<number> : <description>" (to the log only, whatever the
// user's logging option) and the result is empty text.
std::string md5OfBytes(const ByteBuffer& buffer, std::size_t count, DigestLibrary& library,
                       EventLog& log);

// Two lowercase hexadecimal characters for each byte, in order.
std::string md5ToHex(std::span<const std::uint8_t> bytes);

}  // namespace velmora
