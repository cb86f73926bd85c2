#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"
#include "win/UniqueHandle.h"
#include "win/WinLogFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const std::string kUpdated = "ウィルス定義を 2004/11/14 rev. 17 に更新しました.";
// The same in code page 932.
const std::string kUpdatedInShiftJis =
    "\x83\x45\x83\x42\x83\x8b\x83\x58\x92\xe8\x8b\x60\x82\xf0 2004/11/14 rev. 17 "
    "\x82\xc9\x8d\x58\x90\x56\x82\xb5\x82\xdc\x82\xb5\x82\xbd.";

TEST(WinLogFileTest, LinesAreShiftJisAndAnEarlierUtf8LogStaysUtf8) {
    test::TempDir dir;
    const fs::path log = dir / "velmora.log";
    EXPECT_TRUE(appendToLogFile(log, kUpdated + "\r\n"));
    EXPECT_TRUE(appendToLogFile(log, "café\r\n"));
    EXPECT_EQ(test::readFile(log), kUpdatedInShiftJis + "\r\ncaf?\r\n")
        << "a character code page 932 cannot hold is a question mark";

    const fs::path earlier = dir / "earlier.log";
    test::writeFile(earlier, "2004/11/13 8:00:00 : " + kUpdated + "\r\n");
    EXPECT_TRUE(appendToLogFile(earlier, kUpdated + "\r\n"));
    EXPECT_EQ(test::readFile(earlier),
              "2004/11/13 8:00:00 : " + kUpdated + "\r\n" + kUpdated + "\r\n");
}

TEST(WinLogFileTest, AppendsToARegularFileOnlyNeverToAFolderOrAPipe) {
    test::TempDir dir;
    fs::create_directory(dir / "folder.log");
    EXPECT_FALSE(appendToLogFile(dir / "folder.log", "line\r\n"));

    const std::wstring pipeName =
        L"\\\\.\\pipe\\velmora-log-test-" + std::to_wstring(::GetCurrentProcessId());
    const UniqueHandle pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND,
                                               PIPE_TYPE_BYTE, 1, 0, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    EXPECT_FALSE(appendToLogFile(pipeName, "line\r\n"));
}

// The short date and long time of the regional settings, English (United States) and
// Japanese, and of a user's own formats however long or empty they are.
TEST(WinLogFileTest, TheStampFollowsTheRegionalFormats) {
    SYSTEMTIME when{};
    when.wYear = 2004;
    when.wMonth = 11;
    when.wDay = 14;
    when.wHour = 9;
    when.wMinute = 5;
    when.wSecond = 7;
    const LogStamp english = logStampOf(when, L"en-US");
    EXPECT_EQ(english.date, "11/14/2004");
    EXPECT_EQ(english.time, "9:05:07 AM");
    const LogStamp japanese = logStampOf(when, L"ja-JP");
    EXPECT_EQ(japanese.date, "2004/11/14");
    EXPECT_EQ(japanese.time, "9:05:07");

    wchar_t saved[256] = {};
    ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, saved, 256), 0);
    // As long as Windows lets a user make it (80 characters), and empty.
    const std::wstring longFormat = L"yyyy'" + std::wstring(66, L'x') + L"'MM/dd";
    ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, longFormat.c_str()));
    const LogStamp longDate = localLogStamp();
    EXPECT_EQ(longDate.date.size(), 75u) << "written whole";
    EXPECT_FALSE(longDate.time.empty());
    ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"");
    const LogStamp noDate = localLogStamp();
    EXPECT_LT(noDate.date.size(), 20u);
    EXPECT_FALSE(noDate.time.empty());
    ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved);
}

}  // namespace
}  // namespace velmora
