#include "update/Md5Stream.h"

#include <new>

namespace velmora {

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

Md5Stream::Md5Stream(DigestLibrary& library) {
    try {
        context_ = library.MD5Init();
        if (!context_) {
            error_ = kDigestLibraryUnavailable;
        }
    } catch (const std::bad_alloc&) {
        error_ = kOutOfMemory;
    }
}

void Md5Stream::add(std::span<const std::uint8_t> piece) {
    if (finished_ || error_) {
        return;
    }
    if (!context_->MD5Update(piece.data(), piece.size())) {
        error_ = kDigestLibraryFailed;
    }
}

std::string Md5Stream::finish(EventLog& log) {
    if (finished_) {
        return {};
    }
    finished_ = true;
    Md5Digest digest{};
    if (!error_ && !context_->MD5Final(digest)) {
        error_ = kDigestLibraryFailed;
    }
    context_.reset();
    if (error_) {
        log.report(errorReport(*error_), false, true);
        return {};
    }
    return md5ToHex(digest);
}

}  // namespace velmora
