#include "linux/LocalTime.h"

#include <cstdio>

namespace velmora {

LogStamp logStampOf(const std::tm& when) {
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%d/%d/%d", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday);
    std::snprintf(time, sizeof time, "%d:%02d:%02d", when.tm_hour, when.tm_min, when.tm_sec);
    return {date, time};
}

LogStamp localLogStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return logStampOf(local);
}

}  // namespace velmora
