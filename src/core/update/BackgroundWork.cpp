#include "update/BackgroundWork.h"

#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace velmora {

ServedWork::ServedWork(EventLoopWait& events, DoneSignalMaker makeSignal)
    : events_(events), makeSignal_(std::move(makeSignal)) {}

WaitOutcome ServedWork::run(const std::function<void()>& work, const std::function<void()>& stop) {
    const std::unique_ptr<DoneSignal> done = makeSignal_();
    if (!done) {
        work();
        return WaitOutcome::Ready;
    }
    std::exception_ptr failure;
    WaitOutcome outcome = WaitOutcome::Ready;
    {
        auto task = [&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            done->raise();
        };
        // Joined on every way out, so that it never outlives what it works on.
        std::optional<std::jthread> worker;
        try {
            worker.emplace(task);
        } catch (const std::system_error&) {
            task();
        }
        // A wait that fails cannot tell an end request: the worker is then simply joined.
        if (worker && events_.waitFor(done->handle()) == WaitOutcome::Quit) {
            outcome = WaitOutcome::Quit;
            stop();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return outcome;
}

}  // namespace velmora
