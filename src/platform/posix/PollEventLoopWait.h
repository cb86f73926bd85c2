#pragma once

#include "platform/EventLoopWait.h"

namespace velmora {

// The wait of the command-line mode, which has no events to serve: it sleeps in poll()
// until the descriptor becomes readable.
class PollEventLoopWait final : public EventLoopWait {
  public:
    WaitOutcome waitUntilReadable(int fd) override;
};

}  // namespace velmora
