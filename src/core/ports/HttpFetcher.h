#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ports/ByteBuffer.h"

namespace velmora {

// How a fetch ended.
enum class FetchStatus {
    Complete,   // the whole body arrived (it may be empty)
    Failed,     // no answer, or a body that did not arrive whole: cut short, reset, stalled,
                // too slow, or larger than allowed
    Refused,    // the receiver refused a piece; it knows why
    Cancelled,  // the program is ending
};

// Takes a body piece by piece, in order, on whatever thread the fetch runs on. Only the
// final response's body arrives here, never that of a redirect.
class BodyReceiver {
  public:
    virtual ~BodyReceiver() = default;
    // False ends the transfer as Refused.
    virtual bool receive(std::span<const std::uint8_t> piece) = 0;
    // Told once, before the first piece, when the final response announces its length.
    virtual void expectLength(std::uint64_t /*length*/) {}
};

// Whether a cache on the way may answer a request. By default every request asks caches to
// let it through to the server; a package, whose name carries its version and whose digest
// and signature are checked, may come from a company's caching proxy where the
// administrator allows it.
enum class CacheUse {
    Bypass,  // no cached answer: the no-cache request headers, reloaded from the server
    Allow,   // none of that, so that a caching proxy serves what it holds
};

// Fetches the body of one URL. The HTTP status is never examined: an error page that
// arrives whole is data like any other body.
class HttpFetcher {
  public:
    virtual ~HttpFetcher() = default;

    // Hands the body to `receiver` as it arrives, through the system's proxy settings. A
    // body announced or found to be larger than `maxBytes` is Failed.
    virtual FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                              BodyReceiver& receiver, CacheUse cache = CacheUse::Bypass) = 0;

    // Ends a fetch in progress on another thread as Cancelled, within about a second, and
    // every later one at once: the program is ending. Safe to call from any thread.
    virtual void cancel() = 0;
    virtual bool cancelled() const = 0;

    // The whole body in memory: its byte count when it arrived whole and is not empty,
    // with `received` holding exactly those bytes; otherwise 0 and `received` empty.
    std::size_t fetchWhole(const std::string& sourceUrl, ByteBuffer& received,
                           std::size_t maxBytes) {
        class Collector final : public BodyReceiver {
          public:
            explicit Collector(ByteBuffer& target) : target_(target) {}
            bool receive(std::span<const std::uint8_t> piece) override {
                target_.insert(target_.end(), piece.begin(), piece.end());
                return true;
            }

          private:
            ByteBuffer& target_;
        };
        received.clear();
        Collector collector(received);
        if (fetch(sourceUrl, maxBytes, collector) != FetchStatus::Complete) {
            received.clear();
        }
        return received.size();
    }
};

}  // namespace velmora
