#pragma once

namespace velmora {

// How a wait inside the event loop ended.
enum class WaitOutcome {
    Ready,   // the descriptor became readable
    Quit,    // the program was asked to end before that
    Failed,  // the descriptor could not be watched; errno tells why
};

// Keeps the program's events served (window, tray menu, timer) while it waits for a file
// descriptor to become readable, without spending CPU time on the wait.
class EventLoopWait {
  public:
    virtual ~EventLoopWait() = default;
    virtual WaitOutcome waitUntilReadable(int fd) = 0;
};

}  // namespace velmora
