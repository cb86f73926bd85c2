#include "engine/Md5.h"

#include <new>
#include <optional>

namespace velmora {

namespace {

std::optional<RuntimeError> digestInto(Md5Digest& digest, const ByteBuffer& buffer,
                                       std::size_t count, DigestLibrary& library) {
    // Reading past the end would digest whatever memory follows: refused like an empty
    // buffer.
    if (buffer.empty() || count > buffer.size()) {
        return kSubscriptOutOfRange;
    }
    const std::unique_ptr<DigestContext> context = library.MD5Init();
    if (!context) {
        return kDigestLibraryUnavailable;
    }
    if (!context->MD5Update(buffer.data(), count) || !context->MD5Final(digest)) {
        return kDigestLibraryFailed;
    }
    return std::nullopt;
}

void reportFailure(EventLog& log, const RuntimeError& error) {
    log.WriteLog(errorReport(error), kFalse, kTrue);
}

}  // namespace

std::string MD5Bytes(const ByteBuffer& buffer, std::size_t count, DigestLibrary& library,
                     EventLog& log) {
    try {
        Md5Digest digest{};
        if (const auto error = digestInto(digest, buffer, count, library)) {
            reportFailure(log, *error);
            return {};
        }
        return MD5ToHex(digest);
    } catch (const std::bad_alloc&) {
        reportFailure(log, kOutOfMemory);
        return {};
    }
}

std::string MD5ToHex(std::span<const std::uint8_t> bytes) {
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
