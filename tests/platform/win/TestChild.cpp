// A stand-in package for the process tests. Told by its environment what to do:
//   VELMORA_TEST_CHILD_RECORD     writes its arguments there, one a line, then after the
//                                 stay appends "done"
//   VELMORA_TEST_CHILD_LINGER_MS  how long it stays
//   VELMORA_TEST_CHILD_CLAIM      claims the single instance of that name and exits with
//                                 the outcome's number
// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <string>

#include "win/NamedMutexInstance.h"
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
