#include "update/Md5.h"

#include <new>

#include "update/Md5Stream.h"

namespace velmora {

std::string md5OfBytes(const ByteBuffer& buffer, std::size_t count, DigestLibrary& library,
                       EventLog& log) {
    try {
        // Reading past the end would digest whatever memory follows: refused like an empty
        // buffer.
        if (buffer.empty() || count > buffer.size()) {
            log.report(errorReport(kSubscriptOutOfRange), false, true);
            return {};
        }
        Md5Stream stream(library);
        stream.add({buffer.data(), count});
        return stream.finish(log);
    } catch (const std::bad_alloc&) {
        log.report(errorReport(kOutOfMemory), false, true);
        return {};
    }
}

std::string md5ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}

}  // namespace velmora
