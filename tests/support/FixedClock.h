#pragma once

#include "ports/Clock.h"

namespace velmora::test {

// A local time for log lines that tests can spell out: 14 November 2004, 9:05:07.
inline LogStamp fixedTime() {
    return {"2004/11/14", "9:05:07"};
}

}  // namespace velmora::test
