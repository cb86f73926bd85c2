#pragma once

#include <functional>
#include <memory>

#include "ports/WaitHandle.h"

namespace velmora {

// A signal one thread raises once its work is done and the event-loop wait of another
// thread watches: an eventfd on Linux, an event object on Windows.
class DoneSignal {
  public:
    virtual ~DoneSignal() = default;
    // Safe to call from any thread.
    virtual void raise() = 0;
    virtual WaitHandle handle() const = 0;
};

// Makes a fresh signal, or nullptr when the system cannot give one.
using DoneSignalMaker = std::function<std::unique_ptr<DoneSignal>()>;

}  // namespace velmora
