#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "DigestContract.h"
#include "update/Md5Stream.h"

namespace velmora::test {
namespace {

// The digest of `pieces` fed one after another to one context, in hexadecimal; "" when a
// step fails.
std::string digestOf(DigestLibrary& library, const std::vector<std::string>& pieces) {
    const std::unique_ptr<DigestContext> context = library.MD5Init();
    if (!context) {
        return "";
    }
    for (const std::string& piece : pieces) {
        if (!context->MD5Update(reinterpret_cast<const std::uint8_t*>(piece.data()),
                                piece.size())) {
            return "";
        }
    }
    Md5Digest digest{};
    return context->MD5Final(digest) ? md5ToHex(digest) : "";
}

TEST_P(DigestContract, Rfc1321TestSuiteAndAMillionAs) {
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
        // Many blocks (from the NIST vectors).
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const auto& [input, digest] : suite) {
        SCOPED_TRACE(input.substr(0, 64));
        EXPECT_EQ(digestOf(*library, {input}), digest);
    }
    // Nothing fed at all is the empty message too.
    EXPECT_EQ(digestOf(*library, {}), "d41d8cd98f00b204e9800998ecf8427e");
}

// A package is digested as it arrives, in whatever pieces the network hands over.
TEST_P(DigestContract, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    std::string whole(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < whole.size(); ++i) {
        whole[i] = static_cast<char>((i * 131 + i / 977) & 0xff);
    }
    const std::string expected = digestOf(*library, {whole});
    ASSERT_EQ(expected.size(), 32u);
    std::vector<std::string> pieces;
    const std::size_t sizes[] = {1, 0, 3, 55, 56, 63, 64, 65, 127, 4097, 65535, 524289};
    for (std::size_t offset = 0, turn = 0; offset < whole.size(); ++turn) {
        const std::size_t size = std::min(sizes[turn % std::size(sizes)], whole.size() - offset);
        pieces.push_back(whole.substr(offset, size));
        offset += size;
    }
    EXPECT_EQ(digestOf(*library, pieces), expected);
}

TEST_P(DigestContract, ContextsUnderWayTogetherAreIndependent) {
    const std::unique_ptr<DigestContext> first = library->MD5Init();
    const std::unique_ptr<DigestContext> second = library->MD5Init();
    ASSERT_TRUE(first && second);
    const auto feed = [](DigestContext& context, const std::string& text) {
        return context.MD5Update(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    EXPECT_TRUE(feed(*first, "message "));
    EXPECT_TRUE(feed(*second, "ab"));
    EXPECT_TRUE(feed(*first, "digest"));
    Md5Digest secondDigest{};
    EXPECT_TRUE(feed(*second, "c"));
    EXPECT_TRUE(second->MD5Final(secondDigest));
    Md5Digest firstDigest{};
    EXPECT_TRUE(first->MD5Final(firstDigest));
    EXPECT_EQ(md5ToHex(firstDigest), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5ToHex(secondDigest), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
}  // namespace velmora::test
