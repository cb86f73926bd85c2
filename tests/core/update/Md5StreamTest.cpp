#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/TempEventLog.h"
#include "update/Md5Stream.h"

namespace velmora {
namespace {

// A digest library that fails at the step it is told to.
class FailingDigestLibrary final : public DigestLibrary {
  public:
    enum class FailAt { Update, Final };

    explicit FailingDigestLibrary(FailAt failAt) : failAt_(failAt) {}

    std::unique_ptr<DigestContext> MD5Init() override { return std::make_unique<Context>(failAt_); }

  private:
    class Context final : public DigestContext {
      public:
        explicit Context(FailAt failAt) : failAt_(failAt) {}
        bool MD5Update(const std::uint8_t*, std::size_t) override {
            return failAt_ != FailAt::Update;
        }
        bool MD5Final(Md5Digest&) override { return failAt_ != FailAt::Final; }

      private:
        FailAt failAt_;
    };

    FailAt failAt_;
};

class Md5StreamTest : public ::testing::Test, protected test::TempEventLog {};

TEST_F(Md5StreamTest, HexIsLowercaseWithLeadingZeros) {
    const std::vector<std::uint8_t> bytes{12, 171, 0, 255, 16, 9};
    EXPECT_EQ(md5ToHex(bytes), "0cab00ff1009");
    EXPECT_EQ(md5ToHex({}), "");
}

TEST_F(Md5StreamTest, ALibraryFailingMidwayLogsOneLineAndGivesEmptyText) {
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    for (const auto failAt :
         {FailingDigestLibrary::FailAt::Update, FailingDigestLibrary::FailAt::Final}) {
        FailingDigestLibrary library(failAt);
        Md5Stream digest(library);
        digest.add(bytes);
        digest.add(bytes);
        EXPECT_EQ(digest.finish(log), "");
        EXPECT_EQ(digest.finish(log), "") << "a second finish gives nothing and logs nothing";
    }
    EXPECT_EQ(logged(),
              "2004/11/14 9:05:07 : ERROR #51 : Internal error\r\n"
              "2004/11/14 9:05:07 : ERROR #51 : Internal error\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
