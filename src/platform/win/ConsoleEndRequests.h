#pragma once

#include <windows.h>

#include "ports/EndRequests.h"
#include "win/UniqueHandle.h"

namespace velmora {

// Turns the console's requests to end (Ctrl+C, Ctrl+Break, the console window closed, the
// user logging off, the system shutting down) into an event the waits can watch, so that a
// run ends the ordinary way: the transfer cancelled, the partial package removed. Only one
// object may exist at a time; the handler goes with it.
class ConsoleEndRequests final : public EndRequests {
  public:
    ConsoleEndRequests();
    // Also lets Windows end the process after a close of the console.
    ~ConsoleEndRequests() override;
    ConsoleEndRequests(const ConsoleEndRequests&) = delete;
    ConsoleEndRequests& operator=(const ConsoleEndRequests&) = delete;

    WaitHandle handle() const override;
    void take() override;

    // The console's control handler. After a close, a log-off or a shut-down Windows ends
    // the process once it returns, so for those it returns only when the object is gone.
    static BOOL WINAPI onControl(DWORD control);

  private:
    UniqueHandle requested_;
};

}  // namespace velmora
