#pragma once

#include "ports/WaitHandle.h"

namespace velmora {

// The requests from outside to end the program (a signal, the end of the session) while it
// lives, turned into a handle that is signalled once one has arrived.
class EndRequests {
  public:
    virtual ~EndRequests() = default;
    virtual WaitHandle handle() const = 0;
    // Takes the requests that arrived, so that the handle is no longer signalled.
    virtual void take() = 0;
};

}  // namespace velmora
