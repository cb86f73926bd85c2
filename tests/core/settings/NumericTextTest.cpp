#include <gtest/gtest.h>

#include <limits>

#include "settings/NumericText.h"

namespace velmora {
namespace {

TEST(NumericText, AcceptsBlanksSignFractionAndExponent) {
    EXPECT_EQ(parseNumericText("24"), 24.0);
    EXPECT_EQ(parseNumericText(" 24 "), 24.0);
    EXPECT_EQ(parseNumericText("\t7\t"), 7.0);
    EXPECT_EQ(parseNumericText("+4"), 4.0);
    EXPECT_EQ(parseNumericText("-2.5"), -2.5);
    EXPECT_EQ(parseNumericText(".5"), 0.5);
    EXPECT_EQ(parseNumericText("5."), 5.0);
    EXPECT_EQ(parseNumericText("1e2"), 100.0);
    EXPECT_EQ(parseNumericText("25E-1"), 2.5);
    EXPECT_EQ(parseNumericText("-0"), 0.0);
}

TEST(NumericText, RejectsEverythingElseWhateverTheLocale) {
    for (const char* text :
         {"",   " ", "yes", "abc", "1,5", "2,5",   "1 000", "0x10", "&H10", "inf", "nan", "1e",
          "e5", ".", "+",   "-",   "+-1", "1.2.3", "7a",    "１",   "24\n", "(5)", "$5"}) {
        EXPECT_EQ(parseNumericText(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(NumericText, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(roundToInt16(2.5), 2);
    EXPECT_EQ(roundToInt16(3.5), 4);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(-3.5), -4);
    EXPECT_EQ(roundToInt16(0.5), 0);
    EXPECT_EQ(roundToInt16(1.5), 2);
    EXPECT_EQ(roundToInt16(2.4999999), 2);
    EXPECT_EQ(roundToInt16(2.5000001), 3);
    EXPECT_EQ(roundToInt16(-0.4), 0);
}

TEST(NumericText, NothingOutsideSixteenBits) {
    EXPECT_EQ(roundToInt16(32767.0), 32767);
    EXPECT_EQ(roundToInt16(32767.49), 32767);
    EXPECT_EQ(roundToInt16(32767.5), std::nullopt);
    EXPECT_EQ(roundToInt16(-32768.0), -32768);
    EXPECT_EQ(roundToInt16(-32768.5), -32768);
    EXPECT_EQ(roundToInt16(-32769.0), std::nullopt);
    EXPECT_EQ(roundToInt16(70000.0), std::nullopt);
    EXPECT_EQ(roundToInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(roundToInt16(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(NumericText, NumbersBelowTheNormalRangeReadAsTinyAndRoundToZero) {
    // A subnormal number (found by fuzzing) is numeric and rounds to 0 like any tiny one.
    const auto tiny = parseNumericText("2E-309");
    ASSERT_TRUE(tiny.has_value());
    EXPECT_GT(*tiny, 0.0);
    EXPECT_LT(*tiny, 1e-300);
    EXPECT_EQ(roundToInt16(*tiny), 0);
    EXPECT_EQ(roundToInt16(-*tiny), 0);
}

}  // namespace
}  // namespace velmora
