#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "update/EventLoopFetcher.h"
#include "win/EventSignal.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// Waits on the handle as the Windows event loop does, or reports an end request at once.
class RecordingEventLoopWait final : public EventLoopWait {
  public:
    WaitOutcome waitFor(WaitHandle handle) override {
        if (quitAtOnce) {
            return WaitOutcome::Quit;
        }
        signalled =
            ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle.native()), 5000) == WAIT_OBJECT_0;
        return WaitOutcome::Ready;
    }

    bool quitAtOnce = false;
    bool signalled = false;
};

// Answers at once, or holds until it is cancelled (for at most a few seconds).
class HoldingFetcher final : public HttpFetcher {
  public:
    FetchStatus fetch(const std::string& /*sourceUrl*/, std::uint64_t /*maxBytes*/,
                      BodyReceiver& /*receiver*/, CacheUse /*cache*/) override {
        fetchedOn = std::this_thread::get_id();
        std::unique_lock lock(mutex_);
        if (!holds) {
            return FetchStatus::Complete;
        }
        const bool ended = changed_.wait_for(lock, 5s, [this] { return cancelled_; });
        return ended ? FetchStatus::Cancelled : FetchStatus::Failed;
    }
    void cancel() override {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }
    bool cancelled() const override {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

    bool holds = false;
    std::thread::id fetchedOn;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
};

class NoBody final : public BodyReceiver {
  public:
    bool receive(std::span<const std::uint8_t> /*piece*/) override { return true; }
};

TEST(WinEventLoopFetcherTest, TheFetchRunsOnAWorkerThatSignalsTheEventTheLoopWaitsOn) {
    HoldingFetcher inner;
    RecordingEventLoopWait events;
    EventLoopFetcher fetcher(inner, events, makeEventSignal);
    NoBody receiver;
    EXPECT_EQ(fetcher.fetch("http://127.0.0.1/x", 1, receiver), FetchStatus::Complete);
    EXPECT_TRUE(events.signalled);
    EXPECT_NE(inner.fetchedOn, std::this_thread::get_id());
}

TEST(WinEventLoopFetcherTest, AnEndRequestDuringTheWaitCancelsTheFetch) {
    HoldingFetcher inner;
    inner.holds = true;
    RecordingEventLoopWait events;
    events.quitAtOnce = true;
    EventLoopFetcher fetcher(inner, events, makeEventSignal);
    NoBody receiver;
    EXPECT_EQ(fetcher.fetch("http://127.0.0.1/x", 1, receiver), FetchStatus::Cancelled);
    EXPECT_TRUE(fetcher.cancelled());
    EXPECT_EQ(fetcher.fetch("http://127.0.0.1/x", 1, receiver), FetchStatus::Cancelled);
}

}  // namespace
}  // namespace velmora
