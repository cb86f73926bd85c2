#include "win/WinProcessControl.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
// clang-format on

#include <filesystem>
#include <string_view>
#include <utility>

#include "win/OpenFilePath.h"
#include "win/WinError.h"
#include "win/WinSecurity.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// One argument as the C runtime's command-line parsing gives it back whole: quoted when
// it holds a blank or a quote, with the backslashes before a quote doubled.
std::wstring quoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// Windows' answer when a program asks for more rights than the caller has (winerror.h has it
// from Vista on; this MinGW's copy lacks it).
constexpr DWORD kElevationRequired = 740;

// The window a consent prompt belongs to: the program's active window, else its first
// top-level window (the tray's hidden one); none on the console.
HWND dialogOwner() {
    if (HWND active = ::GetActiveWindow()) {
        return active;
    }
    HWND first = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&first));
    return first;
}

// Whether the program may create a file in `folder`, or in the nearest folder above it that
// exists: a file made and gone again at once.
bool mayCreateFileIn(std::filesystem::path folder) {
    while (!folder.empty() && ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (folder == folder.parent_path()) {
            return false;
        }
        folder = folder.parent_path();
    }
    if (folder.empty()) {
        return false;
    }
    for (unsigned attempt = 0; attempt < 10; ++attempt) {
        const std::filesystem::path probe =
            folder / (L"velmora-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(::GetTickCount64() + attempt) + L".tmp");
        const UniqueHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                              nullptr));
        if (file) {
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

// COM on this thread for the length of a shell call, as the shell may hand it to COM.
class ComForShell {
  public:
    ComForShell()
        : initialised_(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComForShell() {
        if (initialised_) {
            ::CoUninitialize();
        }
    }
    ComForShell(const ComForShell&) = delete;
    ComForShell& operator=(const ComForShell&) = delete;

  private:
    bool initialised_;
};

PackageStart failedStart(DWORD code) {
    PackageStart start;
    start.error = describeWinError(code);
    return start;
}

}  // namespace

WinProcessControl::WinProcessControl(EventLoopWait& events, EventLog& log)
    : events_(events), log_(log) {}

bool WinProcessControl::ownRightsSuffice(const std::string& folder) {
    return runsElevated() || mayCreateFileIn(std::filesystem::path(widen(folder)));
}

PackageStart WinProcessControl::startPackage(const SavedPackage& package,
                                             const std::string& argument, StartRights rights) {
    std::wstring program;
    if (!pathOfOpenFile(reinterpret_cast<HANDLE>(package.handle()), program)) {
        return failedStart(::GetLastError());
    }
    const std::filesystem::path programPath(program);
    const std::wstring folder = programPath.parent_path().wstring();
    const std::wstring parameters = quoteArgument(widen(argument));
    if (rights == StartRights::Administrator) {
        const ComForShell com;
        SHELLEXECUTEINFOW execute{};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        execute.hwnd = dialogOwner();
        execute.lpVerb = L"runas";
        execute.lpFile = program.c_str();
        execute.lpParameters = parameters.c_str();
        execute.lpDirectory = folder.c_str();
        execute.nShow = SW_SHOWNORMAL;
        if (!::ShellExecuteExW(&execute)) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_CANCELLED) {
                PackageStart declined;
                declined.status = PackageStart::Status::Declined;
                return declined;
            }
            return failedStart(code);
        }
        if (execute.hProcess == nullptr) {
            return failedStart(ERROR_INVALID_HANDLE);
        }
        return started(execute.hProcess);
    }
    // The bare file name as the program's name, so that the package sees the command line
    // it was made for; the path to run is given apart.
    std::wstring commandLine = quoteArgument(programPath.filename().wstring()) + L" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // No handle of ours is inherited.
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        const DWORD code = ::GetLastError();
        if (code == kElevationRequired) {
            PackageStart needs;
            needs.status = PackageStart::Status::NeedsAdministrator;
            return needs;
        }
        return failedStart(code);
    }
    ::CloseHandle(process.hThread);
    return started(process.hProcess);
}

PackageStart WinProcessControl::started(HANDLE process) {
    PackageStart start;
    start.status = PackageStart::Status::Started;
    start.processId = static_cast<std::int32_t>(::GetProcessId(process));
    started_[start.processId] = UniqueHandle(process);
    return start;
}

std::int32_t WinProcessControl::waitForProcess(const std::int32_t& processId) {
    const UniqueHandle process = openProcess(processId);
    if (!process) {
        // An id that names no process any more: the package is already gone.
        if (const DWORD code = ::GetLastError(); code != ERROR_INVALID_PARAMETER) {
            reportError(code);
        }
        return 0;
    }
    switch (events_.waitFor(WaitHandle{reinterpret_cast<WaitHandle::Native>(process.get())})) {
        case WaitOutcome::Ready:
            return 1;
        case WaitOutcome::Quit:
            quitRequested_ = true;
            return 0;
        case WaitOutcome::Failed:
            reportError(::GetLastError());
            return 0;
    }
    return 0;
}

UniqueHandle WinProcessControl::openProcess(std::int32_t processId) {
    if (const auto kept = started_.find(processId); kept != started_.end()) {
        UniqueHandle process = std::move(kept->second);
        started_.erase(kept);
        return process;
    }
    return UniqueHandle(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId)));
}

void WinProcessControl::reportError(std::uint32_t code) {
    const bool showBox = false;
    const bool writeToLog = true;
    log_.report("ERROR #" + std::to_string(code) + " : " + describeWinError(code), showBox,
                writeToLog);
}

}  // namespace velmora
