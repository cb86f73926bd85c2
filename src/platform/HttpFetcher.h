#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/ByteBuffer.h"

namespace velmora {

// Told of each piece of a body as it is added to the buffer, in order: together the pieces
// are exactly the bytes a non-zero result counts.
using BodyPieceObserver = std::function<void(std::span<const std::uint8_t> piece)>;

// Fetches the body of one URL into memory. The HTTP status is never examined: an error
// page is data like any other body.
class HttpFetcher {
  public:
    virtual ~HttpFetcher() = default;

    // Returns the number of body bytes received, 0 when none arrived or the request could
    // not be opened. On a non-zero result `received` holds exactly that many bytes; it is
    // emptied when the request opened but gave no byte, and left as it was when the
    // request never opened. An empty `proxyServer` means the environment's proxy settings.
    std::size_t InternetGetFile(const std::string& sourceUrl, ByteBuffer& received,
                                const std::string& proxyServer) {
        return InternetGetFile(sourceUrl, received, proxyServer, {});
    }

    // The same, telling `onPiece` (when set) of each piece as it arrives.
    virtual std::size_t InternetGetFile(const std::string& sourceUrl, ByteBuffer& received,
                                        const std::string& proxyServer,
                                        const BodyPieceObserver& onPiece) = 0;
};

}  // namespace velmora
