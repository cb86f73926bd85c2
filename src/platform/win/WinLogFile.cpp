#include "win/WinLogFile.h"

#include <windows.h>

#include "win/UniqueHandle.h"

namespace velmora {

namespace {

bool isRegularDiskFile(HANDLE file) {
    FILE_BASIC_INFO basic{};
    return ::GetFileType(file) == FILE_TYPE_DISK &&
           ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
           (basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

}  // namespace

bool appendToLogFile(const std::filesystem::path& file, const std::string& line) {
    // Others may read, copy or delete the log between lines, as with any text file.
    const UniqueHandle log(
        ::CreateFileW(file.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_DATA,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!log || !isRegularDiskFile(log.get())) {
        return false;
    }
    LARGE_INTEGER sizeBefore{};
    if (!::GetFileSizeEx(log.get(), &sizeBefore)) {
        return false;
    }
    DWORD written = 0;
    OVERLAPPED atEnd{};
    atEnd.Offset = 0xFFFFFFFF;
    atEnd.OffsetHigh = 0xFFFFFFFF;
    if (::WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, &atEnd) &&
        written == line.size()) {
        return true;
    }
    // Only whole lines stay in the log; the line goes to the next destination whole.
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile = sizeBefore;
    ::SetFileInformationByHandle(log.get(), FileEndOfFileInfo, &end, sizeof end);
    return false;
}

}  // namespace velmora
