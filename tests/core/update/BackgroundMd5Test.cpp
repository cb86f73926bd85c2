#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/update/RigHelpers.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempEventLog.h"
#include "update/BackgroundMd5.h"

namespace velmora {
namespace {

// A digest library whose contexts fail at the update after `goodUpdates` good ones.
class FailingDigestLibrary final : public DigestLibrary {
  public:
    explicit FailingDigestLibrary(int goodUpdates) : goodUpdates_(goodUpdates) {}

    std::unique_ptr<DigestContext> MD5Init() override {
        return std::make_unique<Context>(goodUpdates_);
    }

  private:
    class Context final : public DigestContext {
      public:
        explicit Context(int goodUpdates) : left_(goodUpdates) {}
        bool MD5Update(const std::uint8_t*, std::size_t) override { return left_-- > 0; }
        bool MD5Final(Md5Digest&) override { return true; }

      private:
        int left_;
    };

    int goodUpdates_;
};

class BackgroundMd5Test : public ::testing::Test, protected test::TempEventLog {
  protected:
    OpenSslDigestLibrary library;

    std::string oneShot(const std::string& body) { return test::md5Of(body, library, log); }
};

// Pieces of every awkward size, through rings far smaller than the body so that the caller
// waits for the worker and the copies wrap around the ring's end. Each piece comes from one
// scratch buffer that is overwritten at once, as a download's receive buffer would be.
TEST_F(BackgroundMd5Test, PiecesThroughASmallRingGiveTheDigestOfTheWhole) {
    const std::string body = test::patternedBody((3u << 20) + 11);
    const std::string expected = oneShot(body);
    const std::vector<std::size_t> pieceSizes{1, 0, 7, 4096, 4097, 65536, 1u << 20, 3};
    for (const std::size_t ring :
         {std::size_t{4093}, std::size_t{1u << 16}, BackgroundMd5::kDefaultBacklogBytes}) {
        SCOPED_TRACE(ring);
        BackgroundMd5 digest(library, log, ring);
        std::vector<std::uint8_t> scratch;
        std::size_t offset = 0;
        for (std::size_t i = 0; offset < body.size(); ++i) {
            const std::size_t size =
                std::min(pieceSizes[i % pieceSizes.size()], body.size() - offset);
            scratch.assign(body.begin() + static_cast<std::ptrdiff_t>(offset),
                           body.begin() + static_cast<std::ptrdiff_t>(offset + size));
            digest.add(scratch);
            std::fill(scratch.begin(), scratch.end(), std::uint8_t{0xee});
            offset += size;
        }
        EXPECT_EQ(digest.finish(), expected);
        EXPECT_EQ(digest.finish(), "");
    }
    EXPECT_EQ(oneShot("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(logged(), "");
}

TEST_F(BackgroundMd5Test, LibraryFailureGivesEmptyTextAndOneLogLine) {
    FailingDigestLibrary failsAtSecondUpdate(1);
    BackgroundMd5 failing(failsAtSecondUpdate, log, 64);
    const std::vector<std::uint8_t> piece(1000, 0x41);
    for (int i = 0; i < 5; ++i) {
        failing.add(piece);
    }
    EXPECT_EQ(failing.finish(), "");

    OpenSslDigestLibrary unavailable("fips=yes");
    BackgroundMd5 noDigest(unavailable, log);
    noDigest.add(piece);
    EXPECT_EQ(noDigest.finish(), "");

    EXPECT_EQ(logged(),
              "2004/11/14 9:05:07 : ERROR #51 : Internal error\r\n"
              "2004/11/14 9:05:07 : ERROR #48 : Error in loading digest library\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

// A download that fails leaves its digest unfinished: dropping it must neither hang nor log.
TEST_F(BackgroundMd5Test, UnfinishedDigestIsDroppedQuietly) {
    {
        BackgroundMd5 digest(library, log, 4096);
        digest.add(std::vector<std::uint8_t>(100000, 0x5a));
    }
    { const BackgroundMd5 untouched(library, log); }
    EXPECT_EQ(logged(), "");
}

}  // namespace
}  // namespace velmora
