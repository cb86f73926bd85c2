// A stand-in package for the process tests. Told by its environment what to do:
//   VELMORA_TEST_CHILD_RECORD     writes its arguments there, one a line, then after the
//                                 stay appends "done"
//   VELMORA_TEST_CHILD_LINGER_MS  how long it stays
//   VELMORA_TEST_CHILD_CLAIM      claims the single instance of that name and exits with
//                                 the outcome's number
//   VELMORA_TEST_CHILD_WHERE      writes its working folder and its command line there, a
//                                 line each
//   VELMORA_TEST_CHILD_TAMPER     says "ready" in the file VELMORA_TEST_CHILD_RECORD names,
//                                 then writes "EVIL" over the start of every package it
//                                 can open for writing in that packages folder's run
//                                 folders, until it is killed
//   VELMORA_TEST_CHILD_SAVE       starts saving a package into that packages folder, says
//                                 so in the file VELMORA_TEST_CHILD_RECORD names, and
//                                 waits to be killed
// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "win/NamedMutexInstance.h"
#include "win/WinPackageFile.h"
#include "win/WinText.h"

namespace {

std::wstring environmentVariable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 32768);
    return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

void append(const std::wstring& file, const std::string& text) {
    if (FILE* out = ::_wfopen(file.c_str(), L"ab")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

}  // namespace

int main() {
    if (const std::wstring claim = environmentVariable(L"VELMORA_TEST_CHILD_CLAIM");
        !claim.empty()) {
        const velmora::NamedMutexInstance instance(velmora::narrow(claim));
        return static_cast<int>(instance.outcome());
    }
    const std::wstring record = environmentVariable(L"VELMORA_TEST_CHILD_RECORD");
    if (const std::wstring packages = environmentVariable(L"VELMORA_TEST_CHILD_TAMPER");
        !packages.empty()) {
        append(record, "ready\n");
        for (;;) {
            std::error_code error;
            for (const auto& run : std::filesystem::directory_iterator(packages, error)) {
                const std::wstring package = (run.path() / L"pkg.exe").wstring();
                HANDLE file = ::CreateFileW(package.c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
                if (file != INVALID_HANDLE_VALUE) {
                    DWORD written = 0;
                    ::WriteFile(file, "EVIL", 4, &written, nullptr);
                    ::CloseHandle(file);
                }
            }
        }
    }
    if (const std::wstring packages = environmentVariable(L"VELMORA_TEST_CHILD_SAVE");
        !packages.empty()) {
        velmora::WinPackageFile files{std::filesystem::path(packages)};
        std::string error;
        const auto writer = files.create("killed.exe", error);
        const std::string bytes(4096, 'x');
        if (!writer ||
            !writer->append({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                            error)) {
            append(record, "cannot save: " + error + "\n");
            return 1;
        }
        append(record, "saving\n");
        ::Sleep(INFINITE);
    }
    if (const std::wstring where = environmentVariable(L"VELMORA_TEST_CHILD_WHERE");
        !where.empty()) {
        std::wstring folder(32768, L'\0');
        folder.resize(::GetCurrentDirectoryW(32768, folder.data()));
        append(where, velmora::narrow(folder) + "\n" + velmora::narrow(::GetCommandLineW()) + "\n");
    }
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string lines;
    for (int i = 1; i < count; ++i) {
        lines += velmora::narrow(arguments[i]) + "\n";
    }
    ::LocalFree(arguments);
    append(record, lines);
    ::Sleep(
        static_cast<DWORD>(_wtoi(environmentVariable(L"VELMORA_TEST_CHILD_LINGER_MS").c_str())));
    append(record, "done\n");
    return 0;
}
