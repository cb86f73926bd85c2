#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "PackageFileContract.h"
#include "support/TempDir.h"
#include "win/UniqueHandle.h"
#include "win/WinPackageFile.h"

namespace velmora {

namespace fs = std::filesystem;

namespace test {
namespace {

// Reads what is stored under `path` the way another program would while the package is
// being written: sharing everything.
std::optional<std::string> readShared(const fs::path& path) {
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string text;
    char chunk[256];
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    return text;
}

// Package files in a temporary folder. A planted file is read-only, as an earlier package
// the user kept may be.
class WinPackageFileSubject final : public PackageFileSubject {
  public:
    PackageFile& files() override { return files_; }
    void plant(const std::string& name, const std::string& contents) override {
        writeFile(dir_ / name, contents);
        ::SetFileAttributesW((dir_ / name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::optional<std::string> contentsOf(const std::string& name) override {
        return readShared(dir_ / name);
    }

  private:
    TempDir dir_;
    WinPackageFile files_{dir_.path()};
};

INSTANTIATE_TEST_SUITE_P(Win, PackageFileContract,
                         ::testing::Values(PackageFileMaker{
                             "Win", [] { return std::make_unique<WinPackageFileSubject>(); }}));

}  // namespace
}  // namespace test

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::unique_ptr<SavedPackage> save(PackageFile& files, const std::string& name,
                                   const std::string& bytes, std::string& error) {
    const std::unique_ptr<PackageWriter> writer = files.create(name, error);
    if (!writer || !writer->append(bytesOf(bytes), error)) {
        return nullptr;
    }
    return writer->finish(error);
}

std::string readThrough(std::intptr_t handle) {
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string text;
    char chunk[256];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    return text;
}

class WinPackageFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    WinPackageFile files_{dir_.path()};
    std::string error_;
};

// Once checked, the package cannot be changed, replaced or deleted under its name until
// its holder lets go: what is started is what was written.
TEST_F(WinPackageFileTest, TheSavedFileCannotBeSwappedOrWrittenWhileItIsHeld) {
    const fs::path package = dir_ / "pkg.exe";
    auto saved = save(files_, "pkg.exe", "checked bytes", error_);
    ASSERT_TRUE(saved) << error_;
    test::writeFile(dir_ / "impostor.exe", "other bytes");

    const UniqueHandle writer(::CreateFileW(package.c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(
        ::MoveFileExW((dir_ / "impostor.exe").c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(::DeleteFileW(package.c_str()));
    EXPECT_EQ(readThrough(saved->handle()), "checked bytes");
    EXPECT_EQ(test::readFile(package), "checked bytes");

    saved.reset();
    EXPECT_TRUE(::DeleteFileW(package.c_str()));
}

TEST_F(WinPackageFileTest, NeverWritesThroughALinkAndNeverOutsideItsFolder) {
    test::writeFile(dir_ / "elsewhere.txt", "precious");
    // Wine's CreateSymbolicLinkW reports success without making a link.
    const bool linked =
        ::CreateSymbolicLinkW((dir_ / "pkg.exe").c_str(), (dir_ / "elsewhere.txt").c_str(), 0) &&
        (::GetFileAttributesW((dir_ / "pkg.exe").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        fs::exists(dir_ / "pkg.exe");
    if (linked) {
        ASSERT_TRUE(save(files_, "pkg.exe", "package", error_)) << error_;
        EXPECT_EQ(test::readFile(dir_ / "elsewhere.txt"), "precious");
        EXPECT_FALSE(fs::is_symlink(dir_ / "pkg.exe"));
        EXPECT_EQ(test::readFile(dir_ / "pkg.exe"), "package");
    }

    fs::create_directory(dir_ / "folder.exe");
    EXPECT_FALSE(files_.create("folder.exe", error_));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.exe"));

    fs::create_directory(dir_ / "inner");
    WinPackageFile inner(dir_ / "inner");
    EXPECT_FALSE(inner.create("..\\escaped.exe", error_));
    EXPECT_FALSE(inner.remove("../elsewhere.txt", error_));
    EXPECT_FALSE(fs::exists(dir_ / "escaped.exe"));
    EXPECT_TRUE(fs::exists(dir_ / "elsewhere.txt"));
    if (!linked) {
        GTEST_SKIP() << "no symbolic link can be made here: the link case did not run";
    }
}

}  // namespace
}  // namespace velmora
