#include "win/OpenFilePath.h"

#include <string_view>
#include <utility>

namespace velmora {

bool pathOfOpenFile(HANDLE file, std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return false;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);  // the size needed, terminator included
    }
    // The \\?\ form is for the file system; a program's own command line shows the usual
    // form, and CreateProcessW takes it for the program too.
    constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
    if (buffer.starts_with(kUncPrefix)) {
        path = L"\\\\" + buffer.substr(kUncPrefix.size());
    } else if (buffer.starts_with(kLocalPrefix)) {
        path = buffer.substr(kLocalPrefix.size());
    } else {
        path = std::move(buffer);
    }
    return true;
}

}  // namespace velmora
