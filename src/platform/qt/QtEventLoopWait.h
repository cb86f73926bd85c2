#pragma once

#include "ports/EventLoopWait.h"

namespace velmora {

// Runs a nested Qt event loop until the handle (a descriptor on
// Linux) becomes readable, so that windows, the
// tray menu and timers are served meanwhile. An application exit (QCoreApplication::exit
// ends every running loop) ends the wait with Quit.
class QtEventLoopWait final : public EventLoopWait {
  public:
    WaitOutcome waitFor(WaitHandle handle) override;
};

}  // namespace velmora
