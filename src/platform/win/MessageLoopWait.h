#pragma once

#include "ports/EventLoopWait.h"

namespace velmora {

// Waits for a kernel object (the WaitHandle's value is a HANDLE) while serving the
// thread's window messages, so that windows, the tray icon and timers stay alive and the
// wait costs no processor time. A signalled `endRequests` event (when given), or a
// WM_QUIT taken from the queue, ends the wait with Quit; WM_QUIT is posted again so that
// the outer message loop ends too. Failed leaves the reason in GetLastError().
class MessageLoopWait final : public EventLoopWait {
  public:
    explicit MessageLoopWait(WaitHandle endRequests = WaitHandle{}) : endRequests_(endRequests) {}
    WaitOutcome waitFor(WaitHandle handle) override;

  private:
    WaitHandle endRequests_;
};

}  // namespace velmora
