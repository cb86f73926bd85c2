#include <gtest/gtest.h>

#include <vector>

#include "support/TempEventLog.h"
#include "update/Md5.h"

namespace velmora {
namespace {

// A digest library that records what it is given and fails at the step it is told to.
class ScriptedDigestLibrary final : public DigestLibrary {
  public:
    enum class FailAt { Nothing, Update, Final };

    struct Call {
        const std::uint8_t* data;
        std::size_t length;
    };

    explicit ScriptedDigestLibrary(FailAt failAt) : failAt_(failAt) {}

    std::unique_ptr<DigestContext> MD5Init() override { return std::make_unique<Context>(*this); }

    std::vector<Call> updates;

  private:
    class Context final : public DigestContext {
      public:
        explicit Context(ScriptedDigestLibrary& library) : library_(library) {}
        bool MD5Update(const std::uint8_t* data, std::size_t length) override {
            library_.updates.push_back({data, length});
            return library_.failAt_ != FailAt::Update;
        }
        bool MD5Final(Md5Digest& digest) override {
            digest = {0x0c, 0xab, 0x00, 0xff, 0x10, 0x09};
            return library_.failAt_ != FailAt::Final;
        }

      private:
        ScriptedDigestLibrary& library_;
    };

    FailAt failAt_;
};

class Md5Test : public ::testing::Test, protected test::TempEventLog {
  protected:
    Md5Test() : TempEventLog([] { return std::tm{}; }) {}
};

TEST_F(Md5Test, HexIsLowercaseWithLeadingZeros) {
    const std::vector<std::uint8_t> bytes{12, 171, 0, 255, 16, 9};
    EXPECT_EQ(md5ToHex(bytes), "0cab00ff1009");
    EXPECT_EQ(md5ToHex({}), "");
}

TEST_F(Md5Test, WholeInputGoesToTheLibraryInOneUpdate) {
    ScriptedDigestLibrary library(ScriptedDigestLibrary::FailAt::Nothing);
    const ByteBuffer buffer(100000, 0x5a);
    EXPECT_EQ(md5OfBytes(buffer, 70000, library, log), "0cab00ff100900000000000000000000");
    ASSERT_EQ(library.updates.size(), 1u);
    EXPECT_EQ(library.updates[0].data, buffer.data());
    EXPECT_EQ(library.updates[0].length, 70000u);
    EXPECT_EQ(logged(), "");
}

TEST_F(Md5Test, LibraryFailingMidwayLogsOneLineAndGivesEmptyText) {
    for (const auto failAt :
         {ScriptedDigestLibrary::FailAt::Update, ScriptedDigestLibrary::FailAt::Final}) {
        ScriptedDigestLibrary library(failAt);
        EXPECT_EQ(md5OfBytes(ByteBuffer{1, 2, 3}, 3, library, log), "");
    }
    EXPECT_EQ(logged(),
              "1900/1/0 0:00:00 : ERROR #51 : Internal error\r\n"
              "1900/1/0 0:00:00 : ERROR #51 : Internal error\r\n");
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace velmora
