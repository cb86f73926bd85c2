#include "win/WinProcessControl.h"

#include <string_view>
#include <utility>

#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// The full path of the file `file` is open on. The held handle denies renaming and
// deleting, so this is the path of the file that was written and checked.
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

}  // namespace

WinProcessControl::WinProcessControl(EventLoopWait& events, EventLog& log)
    : events_(events), log_(log) {}

std::int32_t WinProcessControl::startPackage(const SavedPackage& package,
                                             const std::string& argument, std::string& error) {
    std::wstring program;
    if (!pathOfOpenFile(reinterpret_cast<HANDLE>(package.handle()), program)) {
        error = describeLastWinError();
        return 0;
    }
    std::wstring commandLine = L"\"" + program + L"\" " + quoteArgument(widen(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // No handle of ours is inherited, and a console package gets no console window.
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        error = describeLastWinError();
        return 0;
    }
    ::CloseHandle(started.hThread);
    const auto processId = static_cast<std::int32_t>(started.dwProcessId);
    started_[processId] = UniqueHandle(started.hProcess);
    return processId;
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
