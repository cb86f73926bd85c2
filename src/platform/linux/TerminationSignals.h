#pragma once

#include <array>
#include <csignal>

#include "ports/EndRequests.h"

namespace velmora {

// Turns the signals that ask the program to end (SIGTERM, SIGINT, SIGHUP) into a byte on
// a pipe, so that the event loop can end the program the ordinary way instead of inside a
// signal handler. Only one object may exist at a time; the former handlers come back when
// it goes.
class TerminationSignals final : public EndRequests {
  public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Becomes readable once one of the signals has arrived.
    int readDescriptor() const { return readEnd_; }
    WaitHandle handle() const override { return WaitHandle{readEnd_}; }
    // Empties the pipe; returns the last signal read, or 0 when none was waiting.
    int takeSignal();
    void take() override { takeSignal(); }

  private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::array<struct sigaction, kSignals.size()> previous_{};
};

}  // namespace velmora
