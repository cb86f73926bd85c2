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

TEST(WinLogFileTest, AppendsWholeLinesToARegularFileOnlyNeverToAFolderOrAPipe) {
    test::TempDir dir;
    const fs::path log = dir / "velmora.log";
    EXPECT_TRUE(appendToLogFile(log, "first\r\n"));
    EXPECT_TRUE(appendToLogFile(log, "second\r\n"));
    EXPECT_EQ(test::readFile(log), "first\r\nsecond\r\n");

    fs::create_directory(dir / "folder.log");
    EXPECT_FALSE(appendToLogFile(dir / "folder.log", "line\r\n"));

    const std::wstring pipeName =
        L"\\\\.\\pipe\\velmora-log-test-" + std::to_wstring(::GetCurrentProcessId());
    const UniqueHandle pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND,
                                               PIPE_TYPE_BYTE, 1, 0, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    EXPECT_FALSE(appendToLogFile(pipeName, "line\r\n"));
}

}  // namespace
}  // namespace velmora
