#include <gtest/gtest.h>

#include <string>

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

TEST(PrintableTextTest, ALongTextIsCutAtTheLimitWithoutSplittingACharacter) {
    EXPECT_EQ(printableExcerpt("0123456789", 10), "0123456789");
    EXPECT_EQ(printableExcerpt("0123456789", 4), "0123...(以下 6 バイト省略)");
    EXPECT_EQ(printableExcerpt("ab最新", 4), "ab...(以下 6 バイト省略)");
    EXPECT_EQ(printableExcerpt(std::string(1 << 20, 'x'), 64).size(),
              std::string("...(以下 1048512 バイト省略)").size() + 64);
}

}  // namespace
}  // namespace velmora
