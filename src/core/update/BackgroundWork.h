#pragma once

#include <functional>

#include "ports/DoneSignal.h"
#include "ports/EventLoopWait.h"

namespace velmora {

// Runs a piece of long work off the thread that serves the program's events, so that the
// window, the tray menu and the timer are served while it runs.
class BackgroundWork {
  public:
    virtual ~BackgroundWork() = default;

    // Runs `work` to its end and returns Ready. When the program is asked to end meanwhile,
    // `stop` is called to make the work end early, and the result is Quit once it has.
    virtual WaitOutcome run(const std::function<void()>& work,
                            const std::function<void()>& stop) = 0;
};

// The work on a worker thread while the caller waits in the event loop for the signal the
// worker raises when it is done. Without a signal or a thread to be had, the work holds the
// caller's thread instead.
class ServedWork final : public BackgroundWork {
  public:
    // `makeSignal` gives the signal the worker raises when its work is done.
    ServedWork(EventLoopWait& events, DoneSignalMaker makeSignal);

    WaitOutcome run(const std::function<void()>& work, const std::function<void()>& stop) override;

  private:
    EventLoopWait& events_;
    DoneSignalMaker makeSignal_;
};

}  // namespace velmora
