#pragma once

#include <chrono>

namespace velmora {

// How long a fetch waits for the connection and for the next byte once connected, and the
// slowest average speed it accepts over a window: a trickle that never stops must not hold
// a run for ever. A 56 kbit/s modem (about 7 KB/s) clears the floor with room to spare.
// The status line and headers of each response must have arrived whole within
// `responseHead` of its request: a head sent a byte at a time would pass every other limit.
// Every HTTP adapter keeps these same limits.
struct FetchTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::seconds receive{30};
    long lowSpeedBytesPerSecond = 1024;
    std::chrono::seconds lowSpeedWindow{60};
    std::chrono::seconds responseHead{60};
};

}  // namespace velmora
