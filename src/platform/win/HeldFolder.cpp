#include "win/HeldFolder.h"

#include "win/WinError.h"
#include "win/WinSecurity.h"
#include "win/WinText.h"

namespace velmora {

namespace {

constexpr DWORD kHoldAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

}  // namespace

std::optional<HeldFolder> HeldFolder::open(const std::filesystem::path& path, std::string& error) {
    PrivateFolderSecurity security;
    if (!::CreateDirectoryW(path.c_str(), security.attributes()) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
        error = describeLastWinError();
        return std::nullopt;
    }
    return hold(path, kHoldAccess, error);
}

std::optional<HeldFolder> HeldFolder::makeNew(const std::filesystem::path& path,
                                              std::string& error) {
    PrivateFolderSecurity security;
    if (security.attributes() == nullptr ||
        !::CreateDirectoryW(path.c_str(), security.attributes())) {
        error = describeLastWinError();
        return std::nullopt;
    }
    // Applied again by name: the descriptor given at creation does not reach every file
    // system.
    security.applyTo(path);
    return hold(path, kHoldAccess, error);
}

// Without FILE_SHARE_DELETE, no one can rename or remove the folder while it is held.
std::optional<HeldFolder> HeldFolder::hold(const std::filesystem::path& path, DWORD access,
                                           std::string& error) {
    UniqueHandle handle(::CreateFileW(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) {
        error = describeLastWinError();
        return std::nullopt;
    }
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic)) {
        error = describeLastWinError();
        return std::nullopt;
    }
    const bool isFolder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isLink = (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const DWORD refusal = !isFolder                            ? ERROR_DIRECTORY
                          : isLink                             ? ERROR_CANT_RESOLVE_FILENAME
                          : !ownedByUserOrSystem(handle.get()) ? ERROR_INVALID_OWNER
                                                               : ERROR_SUCCESS;
    if (refusal != ERROR_SUCCESS) {
        error = narrow(path.wstring()) + ": " + describeWinError(refusal);
        return std::nullopt;
    }
    return HeldFolder(path, std::move(handle));
}

// By its path once it is let go: a handle of ours that could delete it would keep a package
// started in it from making it its working folder. The folders above are still held, so
// the path leads where it did; were the name swapped for a link meanwhile, the link would
// go, not what it points to.
HeldFolder::~HeldFolder() {
    if (handle_ && removeWhenLetGo_) {
        handle_.reset();
        ::RemoveDirectoryW(path_.c_str());
    }
}

}  // namespace velmora
