#pragma once

#include <functional>
#include <string>

namespace velmora {

// The moment a log line is written, as the log shows it: the local date and the local time
// of day, each in the form the system writes them.
struct LogStamp {
    std::string date;
    std::string time;
};

// The local date and time now, for the log's lines. How local time is found and how it is
// written is the operating system's business.
using LocalClock = std::function<LogStamp()>;

}  // namespace velmora
