#pragma once

#include "ports/DoneSignal.h"
#include "ports/EventLoopWait.h"
#include "ports/HttpFetcher.h"
#include "update/BackgroundWork.h"

namespace velmora {

// Runs each fetch of another fetcher as served work (on a worker thread while the calling
// thread waits in the event loop), so that the window, the tray menu and the timer are
// served during a download as during the installer wait. When the program is asked to end
// meanwhile, the fetch is cancelled and the call returns Cancelled once the worker has
// stopped. The receiver is called on the worker thread.
class EventLoopFetcher final : public HttpFetcher {
  public:
    // `makeSignal` gives the signal the worker raises when its fetch is done.
    EventLoopFetcher(HttpFetcher& inner, EventLoopWait& events, DoneSignalMaker makeSignal);

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override;
    void cancel() override { inner_.cancel(); }
    bool cancelled() const override { return inner_.cancelled(); }

  private:
    HttpFetcher& inner_;
    ServedWork work_;
};

}  // namespace velmora
