#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/posix/PosixPackageFile.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

ByteBuffer bytesOf(const std::string& text) {
    return ByteBuffer(text.begin(), text.end());
}

class PosixPackageFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    test::ScopedWorkingDirectory cwd_{dir_.path()};
    PosixPackageFile files_;
    std::string error_;
};

TEST_F(PosixPackageFileTest, SavesExactlyTheCountedBytesForTheOwnerToRun) {
    ASSERT_TRUE(files_.save("pkg.exe", bytesOf("#!/bin/sh\nexit 0\nTRAILING"), 17, error_))
        << error_;
    EXPECT_EQ(readFile(dir_ / "pkg.exe"), "#!/bin/sh\nexit 0\n");
    struct stat info {};
    ASSERT_EQ(stat((dir_ / "pkg.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST_F(PosixPackageFileTest, ReplacesALongerFileInsteadOfAppendingOrLeavingItsTail) {
    writeFile(dir_ / "pkg.exe", std::string(100, 'x'));
    fs::permissions(dir_ / "pkg.exe", fs::perms::owner_read);
    ASSERT_TRUE(files_.save("pkg.exe", bytesOf("new"), 3, error_)) << error_;
    EXPECT_EQ(readFile(dir_ / "pkg.exe"), "new");
}

TEST_F(PosixPackageFileTest, NeverWritesThroughALinkPlantedUnderThePackageName) {
    writeFile(dir_ / "elsewhere.txt", "precious");
    fs::create_symlink(dir_ / "elsewhere.txt", dir_ / "pkg.exe");
    fs::create_symlink(dir_ / "missing.txt", dir_ / "dangling.exe");

    ASSERT_TRUE(files_.save("pkg.exe", bytesOf("package"), 7, error_)) << error_;
    ASSERT_TRUE(files_.save("dangling.exe", bytesOf("package"), 7, error_)) << error_;

    EXPECT_EQ(readFile(dir_ / "elsewhere.txt"), "precious");
    EXPECT_FALSE(fs::exists(dir_ / "missing.txt"));
    EXPECT_FALSE(fs::is_symlink(dir_ / "pkg.exe"));
    EXPECT_EQ(readFile(dir_ / "pkg.exe"), "package");
    EXPECT_EQ(readFile(dir_ / "dangling.exe"), "package");
}

TEST_F(PosixPackageFileTest, FailuresAreReportedWithTheirReason) {
    fs::create_directory(dir_ / "folder.exe");
    EXPECT_FALSE(files_.save("folder.exe", bytesOf("x"), 1, error_));
    EXPECT_EQ(error_, "Is a directory");
    EXPECT_FALSE(files_.save("pkg.exe", bytesOf("x"), 2, error_));

    // A folder the user may not write to: the package can be neither saved nor deleted.
    writeFile(dir_ / "kept.exe", "old");
    test::openToEveryone(dir_.path());
    fs::permissions(dir_.path(), fs::perms::others_write | fs::perms::group_write,
                    fs::perm_options::remove);
    const int status = test::runUnprivileged([] {
        PosixPackageFile files;
        std::string error;
        if (files.save("pkg.exe", bytesOf("x"), 1, error) || error != "Permission denied") {
            return 1;
        }
        if (fs::exists("pkg.exe")) {
            return 2;
        }
        if (files.remove("kept.exe", error) || error != "Permission denied") {
            return 3;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir_ / "kept.exe"), "old");
}

TEST_F(PosixPackageFileTest, RemovesThePackageAndTakesAMissingOneAsRemoved) {
    writeFile(dir_ / "pkg.exe", "x");
    EXPECT_TRUE(files_.remove("pkg.exe", error_));
    EXPECT_FALSE(fs::exists(dir_ / "pkg.exe"));
    EXPECT_TRUE(files_.remove("pkg.exe", error_));
}

}  // namespace
}  // namespace velmora
