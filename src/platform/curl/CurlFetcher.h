#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "ports/FetchTimeouts.h"
#include "ports/HttpFetcher.h"

namespace velmora {

// HttpFetcher over libcurl: one easy handle per call, user agent "wininet", no cache on
// the way, the proxy as the environment says (http_proxy, https_proxy, no_proxy). Which
// answers are whole and which redirects are followed is decided by the rules in http/,
// which every HTTP adapter shares.
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
