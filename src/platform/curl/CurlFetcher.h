#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "ports/HttpFetcher.h"

namespace velmora {

// How long a fetch waits for the connection and for the next byte once connected, and the
// slowest average speed it accepts over a window: a trickle that never stops must not hold
// a run for ever. A 56 kbit/s modem (about 7 KB/s) clears the floor with room to spare.
struct FetchTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::seconds receive{30};
    long lowSpeedBytesPerSecond = 1024;
    std::chrono::seconds lowSpeedWindow{60};
};

// HttpFetcher over libcurl: one easy handle per call, user agent "wininet", no cache on
// the way, redirects followed between http and https URLs only, the proxy as the
// environment says (http_proxy, no_proxy).
class CurlFetcher final : public HttpFetcher {
  public:
    // The program always runs with the default time-outs; tests shorten them.
    explicit CurlFetcher(FetchTimeouts timeouts = {});

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                      BodyReceiver& receiver) override;
    void cancel() override { cancelled_ = true; }
    bool cancelled() const override { return cancelled_; }

  private:
    FetchTimeouts timeouts_;
    std::atomic<bool> cancelled_ = false;
};

}  // namespace velmora
