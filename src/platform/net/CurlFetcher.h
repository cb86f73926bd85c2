#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "platform/HttpFetcher.h"

namespace velmora {

// How long a fetch waits for the connection, and for the next byte once connected.
struct FetchTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::seconds receive{30};
};

// HttpFetcher over libcurl: one easy handle per call, user agent "wininet", no cache on
// the way, redirects followed between http and https URLs only. Without an explicit proxy
// libcurl's own environment handling applies (http_proxy, no_proxy).
class CurlFetcher final : public HttpFetcher {
  public:
    // The program always runs with the default time-outs; tests shorten them.
    explicit CurlFetcher(FetchTimeouts timeouts = {});

    using HttpFetcher::InternetGetFile;
    std::size_t InternetGetFile(const std::string& sourceUrl, ByteBuffer& received,
                                const std::string& proxyServer,
                                const BodyPieceObserver& onPiece) override;

  private:
    FetchTimeouts timeouts_;
};

}  // namespace velmora
