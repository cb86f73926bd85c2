#include <cstdint>
#include <span>
#include <string>

#include "PackageFileContract.h"

namespace velmora::test {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST_P(PackageFileContract, FinishingKeepsThePiecesInOrderUnderTheName) {
    const auto writer = files.create("pkg.exe", error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->append(bytesOf("first,"), error)) << error;
    ASSERT_TRUE(writer->append(bytesOf("second"), error)) << error;
    const auto saved = writer->finish(error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->fileName(), "pkg.exe");
    EXPECT_EQ(subject->contentsOf("pkg.exe"), "first,second");
}

TEST_P(PackageFileContract, AWriterThatGoesUnfinishedTakesItsFileWithIt) {
    {
        const auto writer = files.create("pkg.exe", error);
        ASSERT_TRUE(writer) << error;
        ASSERT_TRUE(writer->append(bytesOf("half of it"), error)) << error;
        EXPECT_EQ(subject->contentsOf("pkg.exe"), "half of it");
    }
    EXPECT_EQ(subject->contentsOf("pkg.exe"), std::nullopt);
}

TEST_P(PackageFileContract, ALongerFileUnderTheNameIsReplacedNotAppendedTo) {
    subject->plant("pkg.exe", std::string(100, 'x'));
    const auto writer = files.create("pkg.exe", error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->append(bytesOf("new"), error)) << error;
    ASSERT_TRUE(writer->finish(error)) << error;
    EXPECT_EQ(subject->contentsOf("pkg.exe"), "new");
}

TEST_P(PackageFileContract, RemovesThePackageAndTakesAMissingOneAsRemoved) {
    subject->plant("pkg.exe", "x");
    EXPECT_TRUE(files.remove("pkg.exe", error)) << error;
    EXPECT_EQ(subject->contentsOf("pkg.exe"), std::nullopt);
    EXPECT_TRUE(files.remove("pkg.exe", error)) << error;
}

}  // namespace
}  // namespace velmora::test
