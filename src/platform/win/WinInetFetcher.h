#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "ports/FetchTimeouts.h"
#include "ports/HttpFetcher.h"

namespace velmora {

// HttpFetcher over WinINet: one session per call, user agent "wininet", the system's proxy
// settings, never into WinINet's own cache, and from the server unless a fetch allows a
// cache on the way to answer. Which answers are whole and
// which redirects are followed is decided by the rules in http/, which every HTTP adapter
// shares; a chunked answer, whose end WinINet cannot confirm, is never whole here.
//
// The transfer runs on a thread of its own while fetch() waits for it. cancel() closes its
// handles, which is how Windows ends a blocking WinINet call; where that does not end the
// call at once (Wine's WinINet finishes it first), fetch() still returns Cancelled at once
// and leaves the thread to end by itself at the next time-out, never to touch the receiver
// again. A response head that is overdue ends the fetch as Failed the same way.
class WinInetFetcher final : public HttpFetcher {
  public:
    // The program always runs with the default time-outs; tests shorten them.
    explicit WinInetFetcher(FetchTimeouts timeouts = {});
    ~WinInetFetcher() override;
    WinInetFetcher(const WinInetFetcher&) = delete;
    WinInetFetcher& operator=(const WinInetFetcher&) = delete;

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override;
    void cancel() override;
    bool cancelled() const override { return cancelled_; }

  private:
    class Transfer;

    FetchTimeouts timeouts_;
    std::atomic<bool> cancelled_ = false;
    std::mutex mutex_;
    std::shared_ptr<Transfer> current_;
};

}  // namespace velmora
