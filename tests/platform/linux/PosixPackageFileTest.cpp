#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "PackageFileContract.h"
#include "linux/PosixPackageFile.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace velmora {

namespace test {
namespace {

// Package files in a temporary working folder. A planted file is read-only, as an earlier
// package the user kept may be.
class PosixPackageFileSubject final : public PackageFileSubject {
  public:
    PackageFile& files() override { return files_; }
    void plant(const std::string& name, const std::string& contents) override {
        writeFile(dir_ / name, contents);
        std::filesystem::permissions(dir_ / name, std::filesystem::perms::owner_read);
    }
    std::optional<std::string> contentsOf(const std::string& name) override {
        if (!std::filesystem::exists(dir_ / name)) {
            return std::nullopt;
        }
        return readFile(dir_ / name);
    }
    std::size_t filesLeft() override {
        const auto entries = std::filesystem::directory_iterator(dir_.path());
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }

  private:
    TempDir dir_;
    ScopedWorkingDirectory cwd_{dir_.path()};
    PosixPackageFile files_;
};

INSTANTIATE_TEST_SUITE_P(Posix, PackageFileContract,
                         ::testing::Values(PackageFileMaker{
                             "Posix", [] { return std::make_unique<PosixPackageFileSubject>(); }}));

}  // namespace
}  // namespace test

namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Writes `pieces` to a new package file and keeps it; nullptr with `error` when it could not.
std::unique_ptr<SavedPackage> save(PackageFile& files, const std::string& name,
                                   const std::vector<std::string>& pieces, std::string& error) {
    std::unique_ptr<PackageWriter> writer = files.create(name, error);
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

std::string readAll(int fd) {
    std::string text;
    char chunk[256];
    for (ssize_t got;
         (got = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0;) {
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return text;
}

class PosixPackageFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    test::ScopedWorkingDirectory cwd_{dir_.path()};
    PosixPackageFile files_;
    std::string error_;
};

TEST_F(PosixPackageFileTest, SavesThePiecesForTheOwnerToRunAndHoldsThatFileOpen) {
    const auto saved = save(files_, "pkg.exe", {"#!/bin/sh\n", "exit 0\n"}, error_);
    ASSERT_TRUE(saved) << error_;
    EXPECT_EQ(saved->fileName(), "pkg.exe");
    EXPECT_EQ(readFile(dir_ / "pkg.exe"), "#!/bin/sh\nexit 0\n");
    struct stat info {};
    ASSERT_EQ(stat((dir_ / "pkg.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    // Open for reading only, and nothing holds it open for writing (it could not be run).
    EXPECT_EQ(fcntl(saved->handle(), F_GETFL) & O_ACCMODE, O_RDONLY);
    fs::remove(dir_ / "pkg.exe");
    EXPECT_EQ(readAll(saved->handle()), "#!/bin/sh\nexit 0\n");
}

TEST_F(PosixPackageFileTest, NeverWritesThroughALinkPlantedUnderThePackageName) {
    writeFile(dir_ / "elsewhere.txt", "precious");
    fs::create_symlink(dir_ / "elsewhere.txt", dir_ / "pkg.exe");
    fs::create_symlink(dir_ / "missing.txt", dir_ / "dangling.exe");

    const auto saved = save(files_, "pkg.exe", {"package"}, error_);
    ASSERT_TRUE(saved) << error_;
    const auto overDangling = save(files_, "dangling.exe", {"package"}, error_);
    ASSERT_TRUE(overDangling) << error_;

    EXPECT_EQ(readFile(dir_ / "elsewhere.txt"), "precious");
    EXPECT_FALSE(fs::exists(dir_ / "missing.txt"));
    EXPECT_FALSE(fs::is_symlink(dir_ / "pkg.exe"));
    EXPECT_EQ(readFile(dir_ / "pkg.exe"), "package");
    EXPECT_EQ(readFile(dir_ / "dangling.exe"), "package");
}

TEST_F(PosixPackageFileTest, FailuresAreReportedWithTheirReason) {
    fs::create_directory(dir_ / "folder.exe");
    EXPECT_FALSE(files_.create("folder.exe", error_));
    EXPECT_EQ(error_, "Is a directory");

    // A folder the user may not write to: the package cannot be saved, and what stands there
    // stays.
    writeFile(dir_ / "kept.exe", "old");
    test::openToEveryone(dir_.path());
    fs::permissions(dir_.path(), fs::perms::others_write | fs::perms::group_write,
                    fs::perm_options::remove);
    const int status = test::runUnprivileged([] {
        PosixPackageFile files;
        std::string error;
        if (files.create("pkg.exe", error) || error != "Permission denied") {
            return 1;
        }
        return fs::exists("pkg.exe") ? 2 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir_ / "kept.exe"), "old");
}

}  // namespace
}  // namespace velmora
