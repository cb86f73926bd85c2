#pragma once

#include "ports/EventLoopWait.h"

namespace velmora {

// The wait of the command-line mode, which has no events to serve: it sleeps in poll()
// until the handle (a descriptor) becomes readable, or until `endRequests` (when given: the read
// end of TerminationSignals) does, which ends the wait with Quit.
class PollEventLoopWait final : public EventLoopWait {
  public:
    explicit PollEventLoopWait(int endRequests = -1) : endRequests_(endRequests) {}
    WaitOutcome waitFor(WaitHandle handle) override;

  private:
    int endRequests_;
};

}  // namespace velmora
