#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "ports/FetchTimeouts.h"
#include "ports/HttpFetcher.h"

namespace velmora {

// HttpFetcher over libcurl: one easy handle per call, user agent "wininet", no cache on
// the way unless a fetch allows one, the proxy as the environment says (http_proxy,
// https_proxy, no_proxy), https servers verified against the CA bundle. Which answers are
// whole and which redirects are followed is decided by the rules in http/, which every HTTP
// adapter shares.
class CurlFetcher final : public HttpFetcher {
  public:
    // The program always runs with the default time-outs; tests shorten them. `caBundle`
    // names a file of trusted certificates in place of libcurl's own; empty for that.
    explicit CurlFetcher(FetchTimeouts timeouts = {}, std::string caBundle = {});

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override;
    void cancel() override { cancelled_ = true; }
    bool cancelled() const override { return cancelled_; }

  private:
    FetchTimeouts timeouts_;
    std::string caBundle_;
    std::atomic<bool> cancelled_ = false;
};

}  // namespace velmora
