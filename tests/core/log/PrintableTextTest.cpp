#include <gtest/gtest.h>

#include <string>

#include "log/NoticeLine.h"
#include "log/PrintableText.h"

namespace velmora {
namespace {

TEST(PrintableTextTest, ControlsAndBrokenUtf8BecomeVisibleEscapesAndTextStaysAsItIs) {
    using namespace std::string_literals;
    EXPECT_EQ(printableExcerpt("a\tb\r\nc 最新 ü", 100), "a\tb\r\nc 最新 ü");
    EXPECT_EQ(printableExcerpt("\x1b[2J\0end\x7f"s, 100), "\\x1b[2J\\x00end\\x7f");
    EXPECT_EQ(printableExcerpt("\xc2\x9b"
                               "31m",
                               100),
              "\\xc2\\x9b31m")
        << "C1 control";
    EXPECT_EQ(printableExcerpt("\xff\xc3(\xe6\x9c", 100), "\\xff\\xc3(\\xe6\\x9c");
    EXPECT_EQ(printableExcerpt("\xc0\xaf\xed\xa0\x80", 100), "\\xc0\\xaf\\xed\\xa0\\x80")
        << "overlong form and surrogate";
}

// A CR of its own would let quoted text write over the line it stands in, on the console
// and in a log shown on a terminal; a line end of CR LF stays one.
TEST(PrintableTextTest, ALoneCarriageReturnNeverReachesTheLogOrTheConsoleRaw) {
    const std::string quoted = printableExcerpt("stale\rFRESH\r\nnext\r", 100);
    EXPECT_EQ(quoted, "stale\\x0dFRESH\r\nnext\\x0d");
    EXPECT_EQ(noticeLine("a\rb\r\nc\nd\r"), "a b c d \n");
}

TEST(PrintableTextTest, ALongTextIsCutAtTheLimitWithoutSplittingACharacter) {
    EXPECT_EQ(printableExcerpt("0123456789", 10), "0123456789");
    EXPECT_EQ(printableExcerpt("0123456789", 4), "0123...(以下 6 バイト省略)");
    EXPECT_EQ(printableExcerpt("ab最新", 4), "ab...(以下 6 バイト省略)");
    EXPECT_EQ(printableExcerpt(std::string(1 << 20, 'x'), 64).size(),
              std::string("...(以下 1048512 バイト省略)").size() + 64);
}

}  // namespace
}  // namespace velmora
