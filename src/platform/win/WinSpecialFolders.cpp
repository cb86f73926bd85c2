#include "win/WinSpecialFolders.h"

#include <windows.h>

#include "win/UniqueHandle.h"
#include "win/WinKnownFolder.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// A search handle is closed with FindClose, not CloseHandle.
class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::FindClose(handle_);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

std::wstring environmentVariable(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length);  // 0 when unset or empty
            return value;
        }
        value.resize(length);
    }
}

// A link (junction or symbolic link) counts as a folder when what it leads to is one: it is
// opened following the link. One that leads nowhere is not a folder.
bool isFolder(const std::filesystem::path& folder, const WIN32_FIND_DATAW& entry) {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    const UniqueHandle target(
        ::CreateFileW((folder / entry.cFileName).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return target && ::GetFileInformationByHandle(target.get(), &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isVisible(const WIN32_FIND_DATAW& entry) {
    const std::wstring_view name = entry.cFileName;
    return name != L"." && name != L".." &&
           (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

}  // namespace

std::string WinSpecialFolders::commonProgramFiles() const {
    std::string folder;
    if (commonProgramFiles_) {
        folder = *commonProgramFiles_;
    } else if (const std::wstring configured = environmentVariable(L"VELMORA_COMMON_FILES");
               !configured.empty()) {
        folder = narrow(configured);
    } else {
        folder = narrow(knownFolderPath(FOLDERID_ProgramFilesCommon).wstring());
    }
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

std::vector<std::string> WinSpecialFolders::visibleSubfolders(
    const std::filesystem::path& folder) const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    const FindHandle search(::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &entry,
                                               FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return names;
    }
    do {
        if (isVisible(entry) && isFolder(folder, entry)) {
            names.push_back(narrow(entry.cFileName));
        }
    } while (::FindNextFileW(search.get(), &entry));
    return names;
}

}  // namespace velmora
