#pragma once

#include <ctime>
#include <functional>

namespace velmora {

// The local date and time of day, for the log's time stamps. How local time is found is
// the operating system's business.
using LocalClock = std::function<std::tm()>;

}  // namespace velmora
