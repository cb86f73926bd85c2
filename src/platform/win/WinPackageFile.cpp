#include "win/WinPackageFile.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "win/HeldFolder.h"
#include "win/UniqueHandle.h"
#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

constexpr DWORD kWriteChunk = DWORD{1} << 20;
constexpr DWORD kReadChunk = DWORD{1} << 20;
constexpr std::wstring_view kRunFolderPrefix = L"run-";

bool markForDeletion(HANDLE file, bool deleteIt) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteIt ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
}

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
    if (!markForDeletion(entry.get(), true)) {
        error = describeLastWinError();
        return false;
    }
    return true;
}

// The names in `folder` that match `pattern`.
std::vector<std::wstring> namesIn(const std::filesystem::path& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((folder / pattern).c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// The folders earlier runs left: each file in them goes (one still running stays), then the
// folder when it is empty. Planted links are removed, never followed.
void removeLeftRunFolders(const std::filesystem::path& packages) {
    const std::wstring pattern = std::wstring(kRunFolderPrefix) + L"*";
    for (const std::wstring& name : namesIn(packages, pattern.c_str())) {
        const std::filesystem::path left = packages / name;
        std::string ignored;
        if (removeEntry(left, ignored)) {
            continue;  // a link or a file under the name
        }
        const DWORD attributes = ::GetFileAttributesW(left.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            continue;
        }
        for (const std::wstring& file : namesIn(left, L"*")) {
            removeEntry(left / file, ignored);
        }
        ::RemoveDirectoryW(left.c_str());
    }
}

// The folders a run's package lives in, held from its creation until it is let go: the
// program's own folder, the packages folder and the run's folder.
struct RunFolders {
    HeldFolder program;
    HeldFolder packages;
    HeldFolder run;

    ~RunFolders() { run.removeWhenLetGo(); }
    RunFolders(HeldFolder programFolder, HeldFolder packagesFolder, HeldFolder runFolder)
        : program(std::move(programFolder)),
          packages(std::move(packagesFolder)),
          run(std::move(runFolder)) {}
    RunFolders(const RunFolders&) = delete;
    RunFolders& operator=(const RunFolders&) = delete;
};

std::optional<HeldFolder> makeRunFolder(const std::filesystem::path& packages, std::string& error) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = std::wstring(kRunFolderPrefix) +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount64() + attempt);
        if (auto made = HeldFolder::makeNew(packages / name, error)) {
            return made;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Exchanges a held file's handle for one with other access and sharing without ever letting
// go of the file: a bridge handle that shares what both need stands between the two.
bool exchangeHandle(UniqueHandle& file, DWORD access, DWORD share) {
    UniqueHandle bridge(
        ::ReOpenFile(file.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0));
    if (!bridge) {
        return false;
    }
    file.reset();
    file.reset(::ReOpenFile(bridge.get(), access, share, 0));
    if (!file) {
        file = std::move(bridge);
        return false;
    }
    return true;
}

// While it is checked the saved file is held with the right to delete it, marked for
// deletion. For its start it is held for reading only: an installer that reads its own file
// (as self-extracting ones do) may then open it without sharing deletion, and still no one
// may write to it, rename it or delete it; the installer is started from wherever that handle
// finds it. After the run the right to delete it is taken again.
class WinSavedPackage final : public SavedPackage {
  public:
    WinSavedPackage(std::string fileName, UniqueHandle file, std::unique_ptr<RunFolders> folders)
        : fileName_(std::move(fileName)), folders_(std::move(folders)), file_(std::move(file)) {}
    ~WinSavedPackage() override {
        if (!settled_) {
            std::string ignored;
            discard(ignored);
        }
    }
    WinSavedPackage(const WinSavedPackage&) = delete;
    WinSavedPackage& operator=(const WinSavedPackage&) = delete;

    const std::string& fileName() const override { return fileName_; }
    std::intptr_t handle() const override { return reinterpret_cast<std::intptr_t>(file_.get()); }

    bool read(const PieceSink& sink, std::string& error) override {
        std::vector<std::uint8_t> buffer(kReadChunk);
        for (std::uint64_t offset = 0;;) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD got = 0;
            if (!::ReadFile(file_.get(), buffer.data(), kReadChunk, &got, &at)) {
                if (::GetLastError() == ERROR_HANDLE_EOF) {
                    return true;
                }
                error = describeLastWinError();
                return false;
            }
            if (got == 0) {
                return true;
            }
            sink({buffer.data(), got});
            offset += got;
        }
    }

    bool releaseForStart(std::string& error) override {
        if (!mayDelete_) {
            return true;
        }
        if (!markForDeletion(file_.get(), false) ||
            !exchangeHandle(file_, GENERIC_READ, FILE_SHARE_READ)) {
            error = describeLastWinError();
            return false;
        }
        mayDelete_ = false;
        return true;
    }

    // Moved into the packages folder, replacing a package kept there before.
    bool keep(std::string& error) override {
        settled_ = true;
        const std::filesystem::path kept = folders_->packages.path() / widen(fileName_);
        if (!takeDeleteRight(error) || !markForDeletion(file_.get(), false) ||
            !removeEntry(kept, error)) {
            if (error.empty()) {
                error = describeLastWinError();
            }
            return false;
        }
        const std::wstring target = kept.wstring();
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), rename->FileName);
        if (!::SetFileInformationByHandle(file_.get(), FileRenameInfo, rename,
                                          static_cast<DWORD>(buffer.size()))) {
            error = describeLastWinError();
            return false;
        }
        file_.reset();
        return true;
    }

    // A package still running cannot be deleted: its folder is then removed at the next run.
    bool discard(std::string& error) override {
        settled_ = true;
        if (!takeDeleteRight(error) || !markForDeletion(file_.get(), true)) {
            if (error.empty()) {
                error = describeLastWinError();
            }
            return false;
        }
        file_.reset();
        return true;
    }

  private:
    bool takeDeleteRight(std::string& error) {
        if (mayDelete_) {
            return true;
        }
        if (!exchangeHandle(file_, GENERIC_READ | DELETE, FILE_SHARE_READ)) {
            error = describeLastWinError();
            return false;
        }
        mayDelete_ = true;
        return true;
    }

    std::string fileName_;
    std::unique_ptr<RunFolders> folders_;
    UniqueHandle file_;  // closed before the folders are let go
    bool mayDelete_ = true;
    bool settled_ = false;
};

class WinPackageWriter final : public PackageWriter {
  public:
    WinPackageWriter(std::string fileName, UniqueHandle file, std::unique_ptr<RunFolders> folders)
        : fileName_(std::move(fileName)), folders_(std::move(folders)), file_(std::move(file)) {}
    // An unfinished file is marked for deletion already: closing its handle removes it.
    ~WinPackageWriter() override = default;
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

    // A file cannot be started while any handle may write to it, and a handle that denies
    // writers cannot be had while one may: a second handle that shares writing bridges the
    // two, so that the file is never without a handle of ours. In the moment between, another
    // program could write to it; the checks then read it through the handle that is kept,
    // which denies writers until the installer has started.
    std::unique_ptr<SavedPackage> finish(std::string& error) override {
        if (!markForDeletion(file_.get(), false)) {
            error = describeLastWinError();
            return nullptr;
        }
        UniqueHandle bridge(::ReOpenFile(
            file_.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
        if (!bridge) {
            error = describeLastWinError();
            markForDeletion(file_.get(), true);
            return nullptr;
        }
        file_.reset();
        UniqueHandle held(::ReOpenFile(bridge.get(), GENERIC_READ | DELETE, FILE_SHARE_READ, 0));
        if (!held) {
            // Another program holds the file open for writing: it is not ours any more, and
            // goes with the run's folder at the next run.
            error = describeLastWinError();
            return nullptr;
        }
        bridge.reset();
        if (!markForDeletion(held.get(), true)) {
            error = describeLastWinError();
            return nullptr;
        }
        return std::make_unique<WinSavedPackage>(fileName_, std::move(held), std::move(folders_));
    }

  private:
    std::string fileName_;
    std::unique_ptr<RunFolders> folders_;
    UniqueHandle file_;  // closed before the folders are let go
};

bool isBareFileName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

}  // namespace

WinPackageFile::WinPackageFile(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::unique_ptr<PackageWriter> WinPackageFile::create(const std::string& fileName,
                                                      std::string& error) {
    const std::wstring name = widen(fileName);
    if (!isBareFileName(name)) {
        error = describeWinError(ERROR_INVALID_NAME);
        return nullptr;
    }
    std::optional<HeldFolder> program = HeldFolder::open(folder_.parent_path(), error);
    std::optional<HeldFolder> packages = program ? HeldFolder::open(folder_, error) : std::nullopt;
    if (!packages) {
        return nullptr;
    }
    removeLeftRunFolders(packages->path());
    std::optional<HeldFolder> run = makeRunFolder(packages->path(), error);
    if (!run) {
        return nullptr;
    }
    auto folders =
        std::make_unique<RunFolders>(std::move(*program), std::move(*packages), std::move(*run));
    // Nobody else may write to, rename or delete the file while it is written; it goes when
    // its last handle closes until it has been checked.
    UniqueHandle file(::CreateFileW((folders->run.path() / name).c_str(),
                                    GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        error = describeLastWinError();
        return nullptr;
    }
    if (!markForDeletion(file.get(), true)) {
        error = describeLastWinError();
        return nullptr;
    }
    return std::make_unique<WinPackageWriter>(fileName, std::move(file), std::move(folders));
}

}  // namespace velmora
