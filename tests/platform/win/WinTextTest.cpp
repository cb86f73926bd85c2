#include <gtest/gtest.h>

#include <string>

#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {
namespace {

TEST(WinTextTest, JapaneseAndAstralTextSurviveTheRoundTrip) {
    const std::string text = "ウィルス定義 \xF0\x9F\x98\x80 C:\\Program Files";
    EXPECT_EQ(widen(text).size(), 26U);  // the emoji takes two UTF-16 units
    EXPECT_EQ(narrow(widen(text)), text);
    EXPECT_EQ(widen(""), L"");
}

TEST(WinTextTest, BytesThatAreNotUtf8BecomeReplacementCharactersNotACutOff) {
    EXPECT_EQ(widen("a\xFF"
                    "b"),
              L"a\uFFFDb");
    EXPECT_EQ(narrow(L"x\xD800y"), "x\xEF\xBF\xBDy");
}

TEST(WinErrorTest, DescribesSystemErrorsWithoutTheTrailingLineBreak) {
    const std::string text = describeWinError(2);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(describeWinError(0xDEADBEEFU), "error 3735928559");
}

}  // namespace
}  // namespace velmora
