#include <gtest/gtest.h>
// aclapi.h and sddl.h need windows.h before them.
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "PackageFileContract.h"
#include "support/TempDir.h"
#include "win/UniqueHandle.h"
#include "win/WinPackageFile.h"
#include "win/WinSecurity.h"

namespace velmora {

namespace fs = std::filesystem;

namespace test {
namespace {

// Reads what is stored under `path` the way another program would: sharing everything.
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

// Whether the file system keeps the access list a folder is given. Wine keeps none: it
// answers with one made from the Unix permissions.
bool keepsFolderAccessLists(const fs::path& scratch) {
    PrivateFolderSecurity security;
    const fs::path probe = scratch / "acl-probe";
    if (!::CreateDirectoryW(probe.c_str(), security.attributes())) {
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    const bool kept =
        ::GetNamedSecurityInfoW(probe.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS &&
        ::GetSecurityDescriptorControl(descriptor, &control, &revision) &&
        (control & SE_DACL_PROTECTED) != 0;
    ::LocalFree(descriptor);
    ::RemoveDirectoryW(probe.c_str());
    return kept;
}

std::size_t filesUnder(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(folder, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        count += entry->is_regular_file() ? 1 : 0;
    }
    return count;
}

// Packages in a temporary user folder: <folder>\Velmora\Packages. A planted file is
// read-only, as an earlier package the user kept may be.
class WinPackageFileSubject final : public PackageFileSubject {
  public:
    PackageFile& files() override { return files_; }
    void plant(const std::string& name, const std::string& contents) override {
        writeFile(packages_ / name, contents);
        ::SetFileAttributesW((packages_ / name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::optional<std::string> contentsOf(const std::string& name) override {
        return readShared(packages_ / name);
    }
    std::size_t filesLeft() override { return filesUnder(packages_); }

  private:
    TempDir dir_;
    fs::path packages_ = dir_ / "Velmora" / "Packages";
    WinPackageFile files_{packages_};
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

std::unique_ptr<SavedPackage> save(PackageFile& files, const std::string& bytes,
                                   std::string& error) {
    const std::unique_ptr<PackageWriter> writer = files.create("pkg.exe", error);
    if (!writer || !writer->append(bytesOf(bytes), error)) {
        return nullptr;
    }
    return writer->finish(error);
}

std::string readBack(SavedPackage& saved) {
    std::string text;
    std::string error;
    saved.read(
        [&](std::span<const std::uint8_t> piece) { text.append(piece.begin(), piece.end()); },
        error);
    return text;
}

std::vector<fs::path> runFolders(const fs::path& packages) {
    std::vector<fs::path> folders;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(packages, error)) {
        if (entry.is_directory() && entry.path().filename().wstring().starts_with(L"run-")) {
            folders.push_back(entry.path());
        }
    }
    return folders;
}

// The trustees of a folder's DACL as SID texts, and whether it is protected from
// inheritance.
struct ReadBackDacl {
    std::vector<std::wstring> trustees;
    bool isProtected = false;
};

ReadBackDacl daclOf(PSECURITY_DESCRIPTOR descriptor) {
    ReadBackDacl read;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present) {
        return read;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    read.isProtected = (control & SE_DACL_PROTECTED) != 0;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (::GetAce(dacl, i, &ace) &&
            static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            wchar_t* sid = nullptr;
            if ((allowed->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS &&
                ::ConvertSidToStringSidW(&allowed->SidStart, &sid)) {
                read.trustees.emplace_back(sid);
                ::LocalFree(sid);
            }
        }
    }
    return read;
}

ReadBackDacl daclOf(const fs::path& folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    ReadBackDacl read = daclOf(descriptor);
    ::LocalFree(descriptor);
    return read;
}

fs::path testChildProgram() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / "velmora_test_child.exe";
}

// The test child, started with one more variable in its environment.
UniqueHandle startChild(const wchar_t* variable, const fs::path& value, const fs::path& record) {
    ::SetEnvironmentVariableW(variable, value.c_str());
    ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_RECORD", record.c_str());
    std::wstring commandLine = L"velmora_test_child.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(testChildProgram().c_str(), commandLine.data(), nullptr,
                                          nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(variable, nullptr);
    if (!started) {
        return {};
    }
    ::CloseHandle(process.hThread);
    return UniqueHandle(process.hProcess);
}

bool waitForFile(const fs::path& file) {
    for (int i = 0; i < 500 && !fs::exists(file); ++i) {
        ::Sleep(20);
    }
    return fs::exists(file);
}

class WinPackageFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    fs::path packages_ = dir_ / "Velmora" / "Packages";
    WinPackageFile files_{packages_};
    std::string error_;
};

// The package is written into a folder made for the run, which the user, SYSTEM and the
// Administrators alone may use; once saved it can be neither written, replaced nor deleted
// by anyone else until its holder lets go, and then it goes with its folder.
TEST_F(WinPackageFileTest, EachRunHasAPrivateFolderAndTheHeldFileCannotBeChanged) {
    auto saved = save(files_, "checked bytes", error_);
    ASSERT_TRUE(saved) << error_;
    const std::vector<fs::path> runs = runFolders(packages_);
    ASSERT_EQ(runs.size(), 1u);
    const std::vector<std::wstring> privateTrustees{currentUserSid(), L"S-1-5-18", L"S-1-5-32-544"};
    PrivateFolderSecurity security;
    ASSERT_NE(security.attributes(), nullptr);
    const ReadBackDacl given = daclOf(security.attributes()->lpSecurityDescriptor);
    EXPECT_TRUE(given.isProtected);
    EXPECT_EQ(given.trustees, privateTrustees);
    if (test::keepsFolderAccessLists(dir_.path())) {
        const ReadBackDacl kept = daclOf(runs[0]);
        EXPECT_TRUE(kept.isProtected);
        EXPECT_EQ(kept.trustees, privateTrustees);
    }

    const fs::path package = runs[0] / "pkg.exe";
    test::writeFile(dir_ / "impostor.exe", "other bytes");
    const UniqueHandle writer(::CreateFileW(package.c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(
        ::MoveFileExW((dir_ / "impostor.exe").c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(::DeleteFileW(package.c_str()));
    std::string error;
    ASSERT_TRUE(saved->releaseForStart(error)) << error;
    EXPECT_EQ(test::readShared(package), "checked bytes");
    EXPECT_EQ(readBack(*saved), "checked bytes");

    saved.reset();
    EXPECT_TRUE(runFolders(packages_).empty());
    EXPECT_EQ(test::filesUnder(packages_), 0u);
}

TEST_F(WinPackageFileTest, APackagesFolderThatIsAFileAndNamesThatLeaveTheFolderAreRefused) {
    test::writeFile(packages_, "not a folder");
    EXPECT_FALSE(files_.create("pkg.exe", error_));
    EXPECT_NE(error_.find("Packages"), std::string::npos) << error_;
    EXPECT_EQ(test::readFile(packages_), "not a folder");
    fs::remove(packages_);

    EXPECT_FALSE(files_.create("..\\escaped.exe", error_));
    EXPECT_FALSE(files_.create("a/b.exe", error_));
    EXPECT_FALSE(fs::exists(packages_ / "escaped.exe"));
}

// Another program that keeps trying to write to every package it can find, many times over:
// what the checks read through the held file is what stays there for the installer's start.
TEST_F(WinPackageFileTest, AWriterInTheGapNeverGetsBytesPastTheCheck) {
    const fs::path record = dir_ / "tamper.txt";
    const UniqueHandle tamperer = startChild(L"VELMORA_TEST_CHILD_TAMPER", packages_, record);
    ASSERT_TRUE(tamperer);
    ASSERT_TRUE(waitForFile(record));
    const std::string good(64 * 1024, 'G');
    int held = 0;
    for (int round = 0; round < 200; ++round) {
        std::string error;
        const auto saved = save(files_, good, error);
        if (!saved) {
            continue;  // a writer held the file when it was to be held: not saved
        }
        ++held;
        const std::string checked = readBack(*saved);
        ::Sleep(1);
        ASSERT_TRUE(saved->releaseForStart(error)) << error;
        ::Sleep(1);
        EXPECT_EQ(readBack(*saved), checked) << "round " << round;
    }
    ::TerminateProcess(tamperer.get(), 0);
    ::WaitForSingleObject(tamperer.get(), 5000);
    EXPECT_GT(held, 0);
}

// A program killed while it writes the package leaves no package behind; the folder of that
// run goes at the next.
TEST_F(WinPackageFileTest, AProgramKilledWhileSavingLeavesNoPackage) {
    const fs::path record = dir_ / "saving.txt";
    const UniqueHandle saver = startChild(L"VELMORA_TEST_CHILD_SAVE", packages_, record);
    ASSERT_TRUE(saver);
    ASSERT_TRUE(waitForFile(record));
    ASSERT_EQ(test::readFile(record), "saving\n");
    ::TerminateProcess(saver.get(), 1);
    ::WaitForSingleObject(saver.get(), 5000);
    EXPECT_EQ(test::filesUnder(packages_), 0u);
    EXPECT_EQ(runFolders(packages_).size(), 1u);

    const auto saved = save(files_, "next run", error_);
    ASSERT_TRUE(saved) << error_;
    EXPECT_EQ(runFolders(packages_).size(), 1u) << "only the new run's folder";
}

}  // namespace
}  // namespace velmora
