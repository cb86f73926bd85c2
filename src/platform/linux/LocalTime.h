#pragma once

#include <ctime>

namespace velmora {

// The local time now, in the time zone the process runs in; safe on any thread.
std::tm localTimeNow();

}  // namespace velmora
