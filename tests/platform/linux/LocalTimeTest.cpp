#include <gtest/gtest.h>

#include <ctime>

#include "linux/LocalTime.h"

namespace velmora {
namespace {

TEST(LocalTimeTest, DatesAndTimesAreWrittenWithoutLeadingZerosButTheMinutesAndSeconds) {
    std::tm newYear{};
    newYear.tm_year = 2005 - 1900;
    newYear.tm_mday = 3;
    const LogStamp midnight = logStampOf(newYear);
    EXPECT_EQ(midnight.date, "2005/1/3");
    EXPECT_EQ(midnight.time, "0:00:00");
    std::tm evening = newYear;
    evening.tm_mon = 11;
    evening.tm_mday = 31;
    evening.tm_hour = 23;
    evening.tm_min = 5;
    evening.tm_sec = 9;
    EXPECT_EQ(logStampOf(evening).date, "2005/12/31");
    EXPECT_EQ(logStampOf(evening).time, "23:05:09");
}

}  // namespace
}  // namespace velmora
