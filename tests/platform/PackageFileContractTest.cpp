#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "PackageFileContract.h"

namespace velmora::test {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string readBack(SavedPackage& saved, std::string& error) {
    std::string text;
    const bool read = saved.read(
        [&](std::span<const std::uint8_t> piece) { text.append(piece.begin(), piece.end()); },
        error);
    return read ? text : "(read failed: " + error + ")";
}

std::unique_ptr<SavedPackage> save(PackageFile& files, const std::vector<std::string>& pieces,
                                   std::string& error) {
    const auto writer = files.create("pkg.exe", error);
    if (!writer) {
        return nullptr;
    }
    for (const std::string& piece : pieces) {
        if (!writer->append(bytesOf(piece), error)) {
            return nullptr;
        }
    }
    return writer->finish(error);
}

TEST_P(PackageFileContract, TheSavedPackageHoldsThePiecesInOrderAndGoesUnlessKept) {
    {
        const auto saved = save(files, {"first,", "second"}, error);
        ASSERT_TRUE(saved) << error;
        EXPECT_EQ(saved->fileName(), "pkg.exe");
        EXPECT_EQ(readBack(*saved, error), "first,second");
        EXPECT_TRUE(saved->releaseForStart(error)) << error;
        EXPECT_EQ(readBack(*saved, error), "first,second");
    }
    EXPECT_EQ(subject->filesLeft(), 0u);

    const auto discarded = save(files, {"x"}, error);
    ASSERT_TRUE(discarded) << error;
    EXPECT_TRUE(discarded->discard(error)) << error;
    EXPECT_EQ(subject->filesLeft(), 0u);
}

TEST_P(PackageFileContract, AWriterThatGoesUnfinishedTakesItsFileWithIt) {
    {
        const auto writer = files.create("pkg.exe", error);
        ASSERT_TRUE(writer) << error;
        ASSERT_TRUE(writer->append(bytesOf("half of it"), error)) << error;
    }
    EXPECT_EQ(subject->filesLeft(), 0u);
}

// A package kept from an earlier run (read-only, say) stands where the new one is kept: the
// new one takes its place whole, nothing is appended.
TEST_P(PackageFileContract, AKeptPackageReplacesAnEarlierOneOfItsName) {
    subject->plant("pkg.exe", std::string(100, 'x'));
    {
        const auto saved = save(files, {"new"}, error);
        ASSERT_TRUE(saved) << error;
        EXPECT_EQ(readBack(*saved, error), "new");
        EXPECT_TRUE(saved->keep(error)) << error;
    }
    EXPECT_EQ(subject->contentsOf("pkg.exe"), "new");
    EXPECT_EQ(subject->filesLeft(), 1u);
}

}  // namespace
}  // namespace velmora::test
