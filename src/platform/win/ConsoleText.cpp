#include "win/ConsoleText.h"

#include <windows.h>

#include <algorithm>

#include "win/WinText.h"

namespace velmora {

namespace {

constexpr DWORD kLargestWrite = 1U << 20;

bool writeToConsole(HANDLE console, const std::wstring& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data() + done, piece, &written, nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool writeToFile(HANDLE file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto piece =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - done, kLargestWrite));
        DWORD written = 0;
        if (!::WriteFile(file, text.data() + done, piece, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

bool writeStandardText(StandardStream stream, const std::string& text) {
    const HANDLE handle =
        ::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        return writeToConsole(handle, widen(text));
    }
    return writeToFile(handle, text);
}

}  // namespace velmora
