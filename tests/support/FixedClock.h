#pragma once

#include <ctime>

namespace velmora::test {

// A local time for log lines that tests can spell out: 14 November 2004, 9:05:07.
inline std::tm fixedTime() {
    std::tm when{};
    when.tm_year = 2004 - 1900;
    when.tm_mon = 10;
    when.tm_mday = 14;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 7;
    return when;
}

}  // namespace velmora::test
