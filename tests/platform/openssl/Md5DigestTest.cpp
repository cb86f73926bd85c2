#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DigestContract.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "support/TempEventLog.h"
#include "update/Md5.h"

namespace velmora {

namespace test {
namespace {

INSTANTIATE_TEST_SUITE_P(OpenSsl, DigestContract,
                         ::testing::Values(DigestLibraryMaker{
                             "OpenSsl", [] { return std::make_unique<OpenSslDigestLibrary>(); }}));

}  // namespace
}  // namespace test

namespace {

ByteBuffer bytesOf(const std::string& text) {
    return ByteBuffer(text.begin(), text.end());
}

class Md5DigestTest : public ::testing::Test, protected test::TempEventLog {
  protected:
    OpenSslDigestLibrary library;
};

TEST_F(Md5DigestTest, BufferWithoutElementZeroOrTooShortLogsSubscriptError) {
    EXPECT_EQ(md5OfBytes(ByteBuffer{}, 0, library, log), "");
    EXPECT_EQ(md5OfBytes(bytesOf("abc"), 4, library, log), "");
    EXPECT_EQ(logged(),
              "2004/11/14 9:05:07 : ERROR #9 : Subscript out of range\r\n"
              "2004/11/14 9:05:07 : ERROR #9 : Subscript out of range\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(Md5DigestTest, LibraryThatCannotDigestLogsOneLine) {
    OpenSslDigestLibrary unavailable("fips=yes");
    EXPECT_EQ(md5OfBytes(bytesOf("abc"), 3, unavailable, log), "");
    EXPECT_EQ(logged(), "2004/11/14 9:05:07 : ERROR #48 : Error in loading digest library\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
