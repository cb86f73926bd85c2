#pragma once

#include "ports/WaitHandle.h"

namespace velmora {

// How a wait inside the event loop ended.
enum class WaitOutcome {
    Ready,   // the handle was signalled
    Quit,    // the program was asked to end before that
    Failed,  // the handle could not be watched; errno tells why
};

// Keeps the program's events served (window, tray menu, timer) while it waits for a
// handle to be signalled, without spending CPU time on the wait.
class EventLoopWait {
  public:
    virtual ~EventLoopWait() = default;
    virtual WaitOutcome waitFor(WaitHandle handle) = 0;
};

}  // namespace velmora
