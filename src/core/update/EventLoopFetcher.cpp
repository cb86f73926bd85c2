#include "update/EventLoopFetcher.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace velmora {

EventLoopFetcher::EventLoopFetcher(HttpFetcher& inner, EventLoopWait& events,
                                   DoneSignalMaker makeSignal)
    : inner_(inner), events_(events), makeSignal_(std::move(makeSignal)) {}

FetchStatus EventLoopFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                    BodyReceiver& receiver) {
    if (inner_.cancelled()) {
        return FetchStatus::Cancelled;
    }
    const std::unique_ptr<DoneSignal> done = makeSignal_();
    if (!done) {
        // Without a signal to wait on, the fetch holds this thread instead.
        return inner_.fetch(sourceUrl, maxBytes, receiver);
    }
    FetchStatus status = FetchStatus::Failed;
    std::exception_ptr failure;
    {
        auto work = [&] {
            try {
                status = inner_.fetch(sourceUrl, maxBytes, receiver);
            } catch (...) {
                failure = std::current_exception();
            }
            done->raise();
        };
        // Joined on every way out, so that it never outlives what it works on.
        std::optional<std::jthread> worker;
        try {
            worker.emplace(work);
        } catch (const std::system_error&) {
            // No thread to be had: the fetch holds this thread instead.
            work();
        }
        // A wait that fails cannot tell an end request: the worker is then simply joined.
        if (worker && events_.waitFor(done->handle()) == WaitOutcome::Quit) {
            inner_.cancel();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return status;
}

}  // namespace velmora
