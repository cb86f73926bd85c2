#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "openssl/OpenSslDigestLibrary.h"
#include "support/TempEventLog.h"
#include "update/Md5.h"

namespace velmora {
namespace {

ByteBuffer bytesOf(const std::string& text) {
    return ByteBuffer(text.begin(), text.end());
}

class Md5DigestTest : public ::testing::Test, protected test::TempEventLog {
  protected:
    OpenSslDigestLibrary library;
};

TEST_F(Md5DigestTest, Rfc1321TestSuite) {
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890"
         "123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : suite) {
        SCOPED_TRACE(input);
        // The empty message is digested from a buffer that has an element 0.
        const ByteBuffer buffer = input.empty() ? ByteBuffer{0x00} : bytesOf(input);
        EXPECT_EQ(md5OfBytes(buffer, input.size(), library, log), digest);
    }
    EXPECT_EQ(logged(), "");
}

TEST_F(Md5DigestTest, OnlyTheFirstCountBytesAreDigested) {
    const ByteBuffer buffer = bytesOf("abc and whatever follows in the buffer");
    EXPECT_EQ(md5OfBytes(buffer, 3, library, log), "900150983cd24fb0d6963f7d28e17f72");
    // A multi-block input whose digest is known: a million times "a" (from the NIST vectors).
    const ByteBuffer millionA(1000000 + 4096, 'a');
    EXPECT_EQ(md5OfBytes(millionA, 1000000, library, log), "7707d6ae4e027c70eea2a935c2296f21");
}

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
