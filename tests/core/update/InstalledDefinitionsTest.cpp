#include <gtest/gtest.h>

#include <filesystem>

#include "linux/LinuxSpecialFolders.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"
#include "update/InstalledDefinitions.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class InstalledDefinitionsTest : public ::testing::Test {
  protected:
    test::TempDir root;
    fs::path definitions = root / "Corvane Shared" / "Definitions";

    void SetUp() override { fs::create_directories(definitions); }
    void folder(const std::string& name) { fs::create_directories(definitions / name); }
    std::string installed() { return installedUnder(root.path().string()); }
    static std::string installedUnder(const std::string& common) {
        return findInstalledDefinitions(LinuxSpecialFolders(common));
    }
};

TEST_F(InstalledDefinitionsTest, NewestFolderWinsAndGetsItsHyphen) {
    folder("20041110.003");
    folder("20041114.002");
    folder("20041114.017");
    EXPECT_EQ(installed(), "20041114-017");
}

TEST_F(InstalledDefinitionsTest, FilesBoundsAndOtherLengthsDoNotCount) {
    folder("20041110.003");
    test::writeFile(definitions / "20041120.001", "a file, not a set");
    folder("00010101.000");
    folder("99991231.999");
    folder("20041114.0170");
    folder("2004111.017");
    folder("readme");
    EXPECT_EQ(installed(), "20041110-003");
}

TEST_F(InstalledDefinitionsTest, TheLowerBoundAloneIsNoSetButTheNameJustAboveItIs) {
    folder("00010101.000");
    EXPECT_EQ(installed(), "");
    folder("00010101.001");
    EXPECT_EQ(installed(), "00010101-001");
}

TEST_F(InstalledDefinitionsTest, LooseTwelveCharacterNamesTakePartAsTheyAre) {
    folder("20041110.003");
    folder("20041114_017");
    EXPECT_EQ(installed(), "20041114-017");
    folder("2004111A.XYZ");
    EXPECT_EQ(installed(), "2004111A-XYZ");
}

TEST_F(InstalledDefinitionsTest, NothingQualifyingGivesEmptyText) {
    EXPECT_EQ(installed(), "");
    EXPECT_EQ(installedUnder((root / "missing").string()), "");
    EXPECT_EQ(installedUnder(""), "");
}

TEST_F(InstalledDefinitionsTest, HiddenAndNonAsciiNamesAreSkipped) {
    folder("20041110.003");
    folder(".20041114.01");
    folder("2004111\xE9.017");        // Latin-1 byte: not valid UTF-8
    folder("200411\xE3\x81\x82.17");  // 12 bytes holding a Japanese character
    EXPECT_EQ(installed(), "20041110-003");
}

TEST_F(InstalledDefinitionsTest, LinksAreFollowedAndBrokenOnesSkipped) {
    folder("20041110.003");
    fs::create_directories(root / "elsewhere" / "set");
    fs::create_directory_symlink(root / "elsewhere" / "set", definitions / "20041112.001");
    fs::create_directory_symlink(root / "nowhere", definitions / "20041130.001");
    fs::create_symlink(definitions / "20041201.001", definitions / "20041201.001");  // loop
    EXPECT_EQ(installed(), "20041112-001");
}

TEST_F(InstalledDefinitionsTest, ThousandsOfEntriesOfEveryShape) {
    for (int i = 0; i < 3000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "2004%04d.%03d", i % 1300, i % 1000);
        if (i % 3 == 0) {
            test::writeFile(definitions / (std::string(name) + "x"), "");
        } else if (i % 3 == 1) {
            test::writeFile(definitions / name, "");
        } else {
            folder(name);
        }
    }
    // Folders were made for i = 2, 5, 8, ...: the largest date piece 1298 comes from
    // i = 1298 (a folder, revision 298) and i = 2598 (a 12-character file, revision 598).
    EXPECT_EQ(installed(), "20041298-298");
}

TEST_F(InstalledDefinitionsTest, UnreadableSubFolderStillCountsAndUnreadableFolderFindsNothing) {
    folder("20041114.017");
    fs::permissions(definitions / "20041114.017", fs::perms::none);
    test::openToEveryone(root.path());
    fs::permissions(definitions / "20041114.017", fs::perms::none);
    const int withUnreadableSet =
        test::runUnprivileged([&] { return installed() == "20041114-017" ? 0 : 1; });
    EXPECT_EQ(withUnreadableSet, 0);

    fs::permissions(definitions, fs::perms::owner_write | fs::perms::owner_exec);
    const int withUnreadableFolder =
        test::runUnprivileged([&] { return installed().empty() ? 0 : 1; });
    EXPECT_EQ(withUnreadableFolder, 0);
}

}  // namespace
}  // namespace velmora
