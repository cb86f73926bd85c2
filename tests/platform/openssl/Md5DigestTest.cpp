#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DigestContract.h"
#include "core/update/RigHelpers.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "support/TempEventLog.h"

namespace velmora {

namespace test {
namespace {

INSTANTIATE_TEST_SUITE_P(OpenSsl, DigestContract,
                         ::testing::Values(DigestLibraryMaker{
                             "OpenSsl", [] { return std::make_unique<OpenSslDigestLibrary>(); }}));

}  // namespace
}  // namespace test

namespace {

class Md5DigestTest : public ::testing::Test, protected test::TempEventLog {};

TEST_F(Md5DigestTest, LibraryThatCannotDigestLogsOneLine) {
    OpenSslDigestLibrary unavailable("fips=yes");
    EXPECT_EQ(test::md5Of("abc", unavailable, log), "");
    EXPECT_EQ(logged(), "2004/11/14 9:05:07 : ERROR #48 : Error in loading digest library\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
