#include "linux/EventLoopFetcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>

#include "linux/UniqueFd.h"

namespace velmora {

EventLoopFetcher::EventLoopFetcher(HttpFetcher& inner, EventLoopWait& events)
    : inner_(inner), events_(events) {}

FetchStatus EventLoopFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                    BodyReceiver& receiver) {
    if (inner_.cancelled()) {
        return FetchStatus::Cancelled;
    }
    const UniqueFd done(::eventfd(0, EFD_CLOEXEC));
    if (!done) {
        // Without a descriptor to wait on, the fetch holds this thread instead.
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
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(done.get(), &one, sizeof one);
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
        if (worker && events_.waitFor(WaitHandle{done.get()}) == WaitOutcome::Quit) {
            inner_.cancel();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return status;
}

}  // namespace velmora
