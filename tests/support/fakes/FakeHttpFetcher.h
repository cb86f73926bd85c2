#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ports/HttpFetcher.h"

namespace velmora::test {

// What the fake answers for one URL: the body in the pieces it arrives in, the length the
// response announces (if any), and how the transfer ends once the pieces are delivered.
struct FakeResponse {
    std::vector<std::string> pieces;
    std::optional<std::uint64_t> announcedLength;
    FetchStatus ending = FetchStatus::Complete;

    static FakeResponse ok(const std::string& body) {
        return {{body}, body.size(), FetchStatus::Complete};
    }
    // The pieces arrive, then the connection drops.
    static FakeResponse cutShort(std::vector<std::string> pieces) {
        return {std::move(pieces), std::nullopt, FetchStatus::Failed};
    }
};

// A fetch as the fake saw it.
struct FakeRequest {
    std::string url;
    std::uint64_t maxBytes = 0;
    CacheUse cache = CacheUse::Bypass;
};

// An HTTP fetcher over a table of scripted answers, keyed by URL, that records every request.
// A URL without an answer fails as an unreachable host does.
class FakeHttpFetcher final : public HttpFetcher {
  public:
    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override {
        requests.push_back({sourceUrl, maxBytes, cache});
        if (beforeAnswer) {
            beforeAnswer(sourceUrl);
        }
        if (cancelled_) {
            return FetchStatus::Cancelled;
        }
        const auto found = responses.find(sourceUrl);
        if (sourceUrl.empty() || found == responses.end()) {
            return FetchStatus::Failed;
        }
        const FakeResponse& response = found->second;
        if (response.announcedLength) {
            if (*response.announcedLength > maxBytes) {
                return FetchStatus::Failed;
            }
            receiver.expectLength(*response.announcedLength);
        }
        std::uint64_t delivered = 0;
        for (const std::string& piece : response.pieces) {
            if (piece.empty()) {
                continue;
            }
            delivered += piece.size();
            if (delivered > maxBytes) {
                return FetchStatus::Failed;
            }
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(piece.data());
            if (!receiver.receive(std::span(bytes, piece.size()))) {
                return FetchStatus::Refused;
            }
            if (cancelled_) {
                return FetchStatus::Cancelled;
            }
        }
        return response.ending;
    }

    void cancel() override { cancelled_ = true; }
    bool cancelled() const override { return cancelled_; }

    std::size_t requestsFor(const std::string& url) const {
        std::size_t count = 0;
        for (const FakeRequest& request : requests) {
            count += request.url == url ? 1 : 0;
        }
        return count;
    }

    std::map<std::string, FakeResponse> responses;
    std::vector<FakeRequest> requests;
    // Runs as each request is made, as what the program does meanwhile would.
    std::function<void(const std::string& url)> beforeAnswer;

  private:
    std::atomic<bool> cancelled_{false};
};

}  // namespace velmora::test
