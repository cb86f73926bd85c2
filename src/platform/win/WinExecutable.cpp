#include "win/WinExecutable.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "win/WinKnownFolder.h"
#include "win/WinLogFile.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// The module's full path, however long: the buffer grows while Windows cuts the path short.
std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

ExecutableInfo currentExecutable() {
    const std::filesystem::path self = modulePath();
    if (!self.has_filename()) {
        std::error_code error;
        return {narrow(std::filesystem::current_path(error).wstring()), "velmora"};
    }
    return {narrow(self.parent_path().wstring()), narrow(self.stem().wstring())};
}

// Built from the wide forms: the standard library would read the UTF-8 text in the ANSI
// code page.
LogDestinations programLogDestinations(const ExecutableInfo& executable) {
    const std::wstring fileName = widen(executable.exeName) + L".log";
    const std::filesystem::path userFolder = knownFolderPath(FOLDERID_LocalAppData);
    return {std::filesystem::path(widen(executable.path)) / fileName,
            userFolder.empty() ? std::filesystem::path() : userFolder / L"Velmora" / fileName,
            appendToLogFile};
}

std::tm localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

}  // namespace velmora
