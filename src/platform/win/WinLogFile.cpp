#include "win/WinLogFile.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win/UniqueHandle.h"
#include "win/WinText.h"

namespace velmora {

namespace {

constexpr UINT kShiftJis = 932;
// How much of an existing log is looked at to tell its encoding.
constexpr DWORD kSampleBytes = 64 * 1024;

bool isRegularDiskFile(HANDLE file) {
    FILE_BASIC_INFO basic{};
    return ::GetFileType(file) == FILE_TYPE_DISK &&
           ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
           (basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Whether the bytes hold text beyond ASCII that is valid UTF-8 throughout; a sequence cut by
// the sample's first or last byte does not count against it.
bool isUtf8BeyondAscii(const std::vector<char>& bytes) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return false;
    }
    std::size_t start = 0;
    while (start < bytes.size() && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80) {
        ++start;
    }
    std::size_t end = bytes.size();
    for (std::size_t back = 0; back < 4 && back < end; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[end - 1 - back]);
        if (byte >= 0xC0) {
            end -= back + 1;  // a lead byte near the end: its sequence may be cut
            break;
        }
        if (byte < 0x80) {
            break;
        }
    }
    if (end <= start) {
        return false;
    }
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + start,
                                 static_cast<int>(end - start), nullptr, 0) > 0;
}

// The last bytes of the log as it stands.
std::vector<char> tailOf(HANDLE log, std::uint64_t size) {
    const std::uint64_t start = size > kSampleBytes ? size - kSampleBytes : 0;
    std::vector<char> tail(static_cast<std::size_t>(size - start));
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(start);
    at.OffsetHigh = static_cast<DWORD>(start >> 32);
    DWORD got = 0;
    if (tail.empty() || !::ReadFile(log, tail.data(), static_cast<DWORD>(tail.size()), &got, &at)) {
        return {};
    }
    tail.resize(got);
    return tail;
}

std::string inShiftJis(const std::string& utf8) {
    const std::wstring text = widen(utf8);
    if (text.empty()) {
        return {};
    }
    const int length =
        ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text.data(),
                              static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
    ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text.data(),
                          static_cast<int>(text.size()), bytes.data(), length, "?", nullptr);
    return bytes;
}

// A date or time Windows writes into a buffer it sizes itself, however long the user's
// format makes it.
template <typename Format>
std::string formatted(Format format) {
    const int length = format(nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    const int written = format(text.data(), length);
    text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return narrow(text);
}

}  // namespace

bool appendToLogFile(const std::filesystem::path& file, const std::string& line) {
    // Others may read, copy or delete the log between lines, as with any text file.
    const UniqueHandle log(::CreateFileW(
        file.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!log || !isRegularDiskFile(log.get())) {
        return false;
    }
    LARGE_INTEGER sizeBefore{};
    if (!::GetFileSizeEx(log.get(), &sizeBefore)) {
        return false;
    }
    const std::string bytes =
        isUtf8BeyondAscii(tailOf(log.get(), static_cast<std::uint64_t>(sizeBefore.QuadPart)))
            ? line
            : inShiftJis(line);
    DWORD written = 0;
    OVERLAPPED atEnd{};
    atEnd.Offset = 0xFFFFFFFF;
    atEnd.OffsetHigh = 0xFFFFFFFF;
    if (::WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, &atEnd) &&
        written == bytes.size()) {
        return true;
    }
    // Only whole lines stay in the log; the line goes to the next destination whole.
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile = sizeBefore;
    ::SetFileInformationByHandle(log.get(), FileEndOfFileInfo, &end, sizeof end);
    return false;
}

LogStamp localLogStamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return logStampOf(now, LOCALE_NAME_USER_DEFAULT);
}

LogStamp logStampOf(const SYSTEMTIME& when, const wchar_t* locale) {
    return {formatted([&](wchar_t* buffer, int size) {
                return ::GetDateFormatEx(locale, DATE_SHORTDATE, &when, nullptr, buffer, size,
                                         nullptr);
            }),
            formatted([&](wchar_t* buffer, int size) {
                return ::GetTimeFormatEx(locale, 0, &when, nullptr, buffer, size);
            })};
}

}  // namespace velmora
