#include "win/WinProcessStart.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "ports/ProgramProcess.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// The module's full path, however long: the buffer grows while Windows cuts it short.
std::wstring ownPath() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0) {
            return {};
        }
        if (length < self.size()) {
            self.resize(length);
            return self;
        }
        self.resize(self.size() * 2);
    }
}

}  // namespace

void prepareProcess() {
    // Every DLL loaded from here on (the delay-loaded ones at their first call) comes from
    // System32, never from the program's folder or the working folder.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// From the wide command line: the narrow one is in the system's code page, which would
// garble a Japanese argument.
std::vector<std::string> programArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> texts;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        texts.push_back(narrow(arguments[i]));
    }
    ::LocalFree(arguments);
    return texts;
}

int handOverToDesktopProgram() {
    const std::wstring self = ownPath();
    if (self.empty()) {
        return 1;
    }
    const std::wstring desktop = self.substr(0, self.find_last_of(L'.')) + L".exe";
    std::wstring commandLine = L"\"" + desktop + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(desktop.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
        writeStandardText(StandardStream::Error, "velmora: cannot start " + narrow(desktop) + ": " +
                                                     describeLastWinError() + "\n");
        return 1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}

}  // namespace velmora
