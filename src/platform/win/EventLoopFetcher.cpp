#include "win/EventLoopFetcher.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>

#include "win/UniqueHandle.h"

namespace velmora {

EventLoopFetcher::EventLoopFetcher(HttpFetcher& inner, EventLoopWait& events)
    : inner_(inner), events_(events) {}

FetchStatus EventLoopFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                    BodyReceiver& receiver) {
    if (inner_.cancelled()) {
        return FetchStatus::Cancelled;
    }
    // Manual reset: once done, it stays signalled for however the wait looks at it.
    const UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        // Without an event to wait on, the fetch holds this thread instead.
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
            ::SetEvent(done.get());
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
        const WaitHandle handle{reinterpret_cast<std::intptr_t>(done.get())};
        if (worker && events_.waitFor(handle) == WaitOutcome::Quit) {
            inner_.cancel();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return status;
}

}  // namespace velmora
