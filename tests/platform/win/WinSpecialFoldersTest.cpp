#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "support/TempDir.h"
#include "win/WinExecutable.h"
#include "win/WinSpecialFolders.h"
#include "win/WinText.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Sets (or with std::nullopt unsets) a variable of the process's environment block for the
// life of the object.
class ScopedWinEnv {
  public:
    ScopedWinEnv(const wchar_t* name, const std::optional<std::wstring>& value) : name_(name) {
        ::SetEnvironmentVariableW(name_, value ? value->c_str() : nullptr);
    }
    ~ScopedWinEnv() { ::SetEnvironmentVariableW(name_, nullptr); }
    ScopedWinEnv(const ScopedWinEnv&) = delete;
    ScopedWinEnv& operator=(const ScopedWinEnv&) = delete;

  private:
    const wchar_t* name_;
};

// Wine's CreateSymbolicLinkW reports success without making a link: only a link that is
// there counts.
bool makeDirectoryLink(const fs::path& link, const fs::path& target) {
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST(WinSpecialFoldersTest, CommonFilesComesFromTheVariableElseTheKnownFolder) {
    {
        const ScopedWinEnv common(L"VELMORA_COMMON_FILES", L"C:\\共通\\Common\\\\");
        EXPECT_EQ(WinSpecialFolders().commonProgramFiles(), "C:\\共通\\Common");
        EXPECT_EQ(WinSpecialFolders("D:\\given\\").commonProgramFiles(), "D:\\given");
    }
    const ScopedWinEnv common(L"VELMORA_COMMON_FILES", L"");
    const std::string known = WinSpecialFolders().commonProgramFiles();
    EXPECT_TRUE(fs::is_directory(widen(known))) << known;
    EXPECT_NE(known.back(), '\\');
}

TEST(WinSpecialFoldersTest, VisibleSubfoldersLeaveOutHiddenSystemFilesAndDanglingLinks) {
    test::TempDir dir;
    for (const wchar_t* name : {L"Plain", L"定義", L"Hidden", L"System"}) {
        fs::create_directory(dir / name);
    }
    ::SetFileAttributesW((dir / L"Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((dir / L"System").c_str(), FILE_ATTRIBUTE_SYSTEM);
    if ((::GetFileAttributesW((dir / L"Hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        GTEST_SKIP() << "this file system keeps no hidden attribute";
    }
    test::writeFile(dir / "file.txt", "x");
    const bool linked = makeDirectoryLink(dir / L"Linked", dir / L"Plain") &&
                        makeDirectoryLink(dir / L"Dangling", dir / L"Missing");

    std::vector<std::string> names = WinSpecialFolders().visibleSubfolders(dir.path());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"Plain", "定義"};
    if (linked) {
        expected.insert(expected.begin(), "Linked");
    }
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(WinSpecialFolders().visibleSubfolders(dir / "missing").empty());
}

TEST(WinExecutableTest, TheNameComesWithoutItsExtensionAndTheLogGoesBesideItElseToTheUser) {
    const ExecutableInfo self = currentExecutable();
    EXPECT_EQ(self.exeName, "velmora_windows_tests");
    EXPECT_TRUE(fs::exists(fs::path(widen(self.path)) / L"velmora_windows_tests.exe"));

    const ExecutableInfo japanese{"C:\\ユーザー\\アプリ", "更新"};
    const LogDestinations destinations = programLogDestinations(japanese);
    EXPECT_EQ(destinations.primary.wstring(), L"C:\\ユーザー\\アプリ\\更新.log");
    EXPECT_EQ(destinations.fallback.filename().wstring(), L"更新.log");
    EXPECT_EQ(destinations.fallback.parent_path().filename().wstring(), L"Velmora");
    EXPECT_TRUE(fs::is_directory(destinations.fallback.parent_path().parent_path()));
}

}  // namespace
}  // namespace velmora
