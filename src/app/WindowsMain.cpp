// The Windows program's entry point, built twice: velmora.exe for the desktop (no console)
// and velmora.com, its console front end. cmd.exe prefers the .com when the user types
// `velmora`, and waits for it, so the command-line modes print their notices and return
// their exit status in the console; started without arguments it hands over to velmora.exe
// and returns at once, as starting a desktop program from a console does.
#include <windows.h>

#include <string>
#include <vector>

#include "ResidentProgram.h"
#include "UpdateNow.h"
#include "shell/CommandLine.h"
#include "win/ConsoleText.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace {

std::vector<std::string> utf8Arguments(int argc, wchar_t* argv[]) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(velmora::narrow(argv[i]));
    }
    return arguments;
}

#ifdef VELMORA_CONSOLE_FRONT_END
// Starts the desktop program beside this one, detached from the console.
int startDesktopProgram() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0) {
            return 1;
        }
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    const std::wstring desktop = self.substr(0, self.find_last_of(L'.')) + L".exe";
    std::wstring commandLine = L"\"" + desktop + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(desktop.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
        velmora::writeStandardText(velmora::StandardStream::Error,
                                   "velmora: cannot start " + velmora::narrow(desktop) + ": " +
                                       velmora::describeLastWinError() + "\n");
        return 1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}
#endif

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    // Every DLL loaded from here on (the delay-loaded ones at their first call) comes from
    // System32, never from the program's folder or the working folder.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::vector<std::string> arguments = utf8Arguments(argc, argv);
    // The name people type, whichever of the two files (and whatever path) started.
    const std::string programName = "velmora";
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    const velmora::CommandLine commandLine = velmora::parseCommandLine(arguments);
    switch (commandLine.mode) {
        case velmora::CommandMode::Version:
            velmora::writeStandardText(velmora::StandardStream::Output,
                                       velmora::versionText() + "\n");
            return 0;
        case velmora::CommandMode::Help:
            velmora::writeStandardText(velmora::StandardStream::Output,
                                       velmora::usageText(programName));
            return 0;
        case velmora::CommandMode::Invalid:
            velmora::writeStandardText(velmora::StandardStream::Error,
                                       velmora::usageText(programName));
            return 2;
        case velmora::CommandMode::UpdateNow:
            return velmora::runUpdateNow(commandLine.progress);
        case velmora::CommandMode::ForgetPublisher:
            return velmora::forgetPublisher();
        case velmora::CommandMode::Resident:
            break;
    }
#ifdef VELMORA_CONSOLE_FRONT_END
    return startDesktopProgram();
#else
    // The desktop program takes no arguments of its own.
    int count = 0;
    char* noArguments[] = {nullptr};
    return velmora::runResident(count, noArguments);
#endif
}
