#include <gtest/gtest.h>

#include <memory>

#include "DigestContract.h"
#include "win/CngDigestLibrary.h"

namespace velmora {

namespace test {
namespace {

INSTANTIATE_TEST_SUITE_P(Cng, DigestContract,
                         ::testing::Values(DigestLibraryMaker{
                             "Cng", [] { return std::make_unique<CngDigestLibrary>(); }}));

}  // namespace
}  // namespace test

namespace {

// The digest driver logs a library that cannot make MD5 digests; here it is one.
TEST(CngDigestLibraryTest, AProviderThatDoesNotExistGivesNoContext) {
    CngDigestLibrary unavailable(L"No Such Cryptographic Provider");
    EXPECT_EQ(unavailable.MD5Init(), nullptr);
}

}  // namespace
}  // namespace velmora
