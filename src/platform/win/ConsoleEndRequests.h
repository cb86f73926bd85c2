#pragma once

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
    ~ConsoleEndRequests() override;
    ConsoleEndRequests(const ConsoleEndRequests&) = delete;
    ConsoleEndRequests& operator=(const ConsoleEndRequests&) = delete;

    WaitHandle handle() const override;
    void take() override;

  private:
    UniqueHandle requested_;
};

}  // namespace velmora
