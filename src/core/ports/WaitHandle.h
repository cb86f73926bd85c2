#pragma once

#include <cstdint>

namespace velmora {

// Something the platform can wait on until it is signalled: a file descriptor that becomes
// readable on Linux, a HANDLE on Windows. The adapter that made it owns what it names; the
// core only passes it on to the event-loop wait.
class WaitHandle {
  public:
    using Native = std::intptr_t;

    constexpr WaitHandle() = default;
    constexpr explicit WaitHandle(Native native) : native_(native) {}

    constexpr Native native() const { return native_; }

  private:
    Native native_ = -1;
};

}  // namespace velmora
