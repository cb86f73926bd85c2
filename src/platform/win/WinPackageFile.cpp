#include "win/WinPackageFile.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "win/UniqueHandle.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

constexpr DWORD kWriteChunk = DWORD{1} << 20;

// Removes the directory entry itself, whatever it is: the name is opened without following
// a link, so a planted link goes and what it points to stays. A real folder is refused.
bool removeEntry(const std::filesystem::path& path, std::string& error) {
    const UniqueHandle entry(::CreateFileW(
        path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        error = describeWinError(code);
        return false;
    }
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) {
        error = describeLastWinError();
        return false;
    }
    const bool isLink = (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isLink) {
        error = describeWinError(ERROR_ACCESS_DENIED);
        return false;
    }
    // A read-only file (a package the user kept) cannot be deleted until it is writable.
    if ((basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO writable{};
        writable.FileAttributes = basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (writable.FileAttributes == 0) {
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        if (!::SetFileInformationByHandle(entry.get(), FileBasicInfo, &writable, sizeof writable)) {
            error = describeLastWinError();
            return false;
        }
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
        error = describeLastWinError();
        return false;
    }
    return true;
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow &&
           a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow;
}

class WinSavedPackage final : public SavedPackage {
  public:
    WinSavedPackage(std::string fileName, UniqueHandle readable)
        : fileName_(std::move(fileName)), readable_(std::move(readable)) {}
    const std::string& fileName() const override { return fileName_; }
    std::intptr_t handle() const override {
        return reinterpret_cast<std::intptr_t>(readable_.get());
    }

  private:
    std::string fileName_;
    UniqueHandle readable_;
};

class WinPackageWriter final : public PackageWriter {
  public:
    WinPackageWriter(std::string fileName, std::filesystem::path path, UniqueHandle file)
        : fileName_(std::move(fileName)), path_(std::move(path)), file_(std::move(file)) {}

    // An unfinished file is deleted through its own handle, so nothing else that may have
    // come under the name is touched; after a failed finish() the name no longer holds a
    // file that can be trusted, and goes.
    ~WinPackageWriter() override {
        if (finished_) {
            return;
        }
        if (file_) {
            FILE_DISPOSITION_INFO disposition{};
            disposition.DeleteFile = TRUE;
            ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition,
                                         sizeof disposition);
            return;
        }
        std::string ignored;
        removeEntry(path_, ignored);
    }
    WinPackageWriter(const WinPackageWriter&) = delete;
    WinPackageWriter& operator=(const WinPackageWriter&) = delete;

    bool append(std::span<const std::uint8_t> piece, std::string& error) override {
        while (!piece.empty()) {
            const DWORD size = static_cast<DWORD>(std::min<std::size_t>(piece.size(), kWriteChunk));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), piece.data(), size, &written, nullptr)) {
                error = describeLastWinError();
                return false;
            }
            piece = piece.subspan(written);
        }
        return true;
    }

    // A file cannot be started while any handle may write to it, so the writing handle
    // is closed and the file opened again for reading only, denying writers and deletion.
    // In between the name is unguarded: the reopened file must be the one written.
    std::unique_ptr<SavedPackage> finish(std::string& error) override {
        BY_HANDLE_FILE_INFORMATION written{};
        if (!::GetFileInformationByHandle(file_.get(), &written)) {
            error = describeLastWinError();
            return nullptr;
        }
        if (!::CloseHandle(file_.release())) {
            error = describeLastWinError();
            return nullptr;
        }
        UniqueHandle readable(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION reopened{};
        if (!readable || !::GetFileInformationByHandle(readable.get(), &reopened)) {
            error = describeLastWinError();
            return nullptr;
        }
        if (!sameFile(written, reopened)) {
            error = describeWinError(ERROR_FILE_INVALID);
            return nullptr;
        }
        finished_ = true;
        return std::make_unique<WinSavedPackage>(fileName_, std::move(readable));
    }

  private:
    std::string fileName_;
    std::filesystem::path path_;
    UniqueHandle file_;
    bool finished_ = false;
};

}  // namespace

WinPackageFile::WinPackageFile(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path WinPackageFile::pathOf(const std::string& fileName) const {
    const std::wstring name = widen(fileName);
    if (name.empty() || name == L"." || name == L".." ||
        name.find_first_of(L"\\/:") != std::wstring::npos) {
        return {};
    }
    return folder_ / name;
}

std::unique_ptr<PackageWriter> WinPackageFile::create(const std::string& fileName,
                                                      std::string& error) {
    const std::filesystem::path path = pathOf(fileName);
    if (path.empty()) {
        error = describeWinError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (!removeEntry(path, error)) {
        return nullptr;
    }
    // CREATE_NEW fails on anything put under the name since, a dangling link included.
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        error = describeLastWinError();
        return nullptr;
    }
    return std::make_unique<WinPackageWriter>(fileName, path, std::move(file));
}

bool WinPackageFile::remove(const std::string& fileName, std::string& error) {
    const std::filesystem::path path = pathOf(fileName);
    if (path.empty()) {
        error = describeWinError(ERROR_INVALID_NAME);
        return false;
    }
    return removeEntry(path, error);
}

}  // namespace velmora
