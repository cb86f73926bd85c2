#include "update/EventLoopFetcher.h"

#include <utility>

namespace velmora {

EventLoopFetcher::EventLoopFetcher(HttpFetcher& inner, EventLoopWait& events,
                                   DoneSignalMaker makeSignal)
    : inner_(inner), work_(events, std::move(makeSignal)) {}

FetchStatus EventLoopFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                    BodyReceiver& receiver, CacheUse cache) {
    if (inner_.cancelled()) {
        return FetchStatus::Cancelled;
    }
    FetchStatus status = FetchStatus::Failed;
    work_.run([&] { status = inner_.fetch(sourceUrl, maxBytes, receiver, cache); },
              [this] { inner_.cancel(); });
    return status;
}

}  // namespace velmora
