#include "linux/RegFileStore.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <system_error>

#include "linux/AtomicFile.h"

namespace velmora {

namespace {

// A stand-in registry file never grows near this; anything larger is not one.
constexpr std::size_t kLargestFile = std::size_t{16} * 1024 * 1024;
constexpr mode_t kNewFileMode = 0600;
// A writer holds the lock for a few milliseconds; one that holds it longer is stuck.
constexpr std::chrono::milliseconds kLockPatience{5000};

bool isRefusal(int error) {
    return error == EACCES || error == EPERM;
}

bool isRefusal(const std::system_error& failure) {
    return failure.code() == std::errc::permission_denied ||
           failure.code() == std::errc::operation_not_permitted;
}

bool isOversized(const std::system_error& failure) {
    return failure.code() == std::errc::file_too_large;
}

// Lines and names are the structure of the file, so they cannot be part of a name; and the
// file is UTF-8 text, so a name must be too.
bool canHoldName(const std::string& name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos &&
           isUtf8Text(name);
}

// Every key is opened with the rights to change it: a file the user may read but not
// write cannot be opened for reading either.
bool mayChange(const std::filesystem::path& file) {
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0 || !isRefusal(errno);
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return stamp;
}

// Keeps a damaged file under a name of its own, never overwriting an earlier one.
void moveAside(const std::filesystem::path& file) {
    const std::string base = file.string() + ".corrupt-" + utcStamp();
    for (int attempt = 1;; ++attempt) {
        const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            return;
        }
        if (errno == EINVAL) {
            // Some file systems know no RENAME_NOREPLACE; under the lock a look first will do.
            std::error_code ignored;
            if (std::filesystem::exists(target, ignored)) {
                continue;
            }
            if (::rename(file.c_str(), target.c_str()) == 0) {
                return;
            }
            throwErrno("rename", file);
        }
        if (errno != EEXIST) {
            throwErrno("rename", file);
        }
    }
}

// A symbolic link to the file (a dotfile manager's) stays in place; its target is replaced.
std::filesystem::path replacementTarget(const std::filesystem::path& file) {
    std::error_code ignored;
    if (std::filesystem::is_symlink(file, ignored)) {
        auto resolved = std::filesystem::canonical(file, ignored);
        if (!resolved.empty()) {
            return resolved;
        }
    }
    return file;
}

// Temporary files of writers that died before renaming theirs into place. Only a holder of
// the lock writes one, so with the lock held every one found is stale.
void removeStaleTemporaries(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(file.parent_path(), ignored)) {
        if (item.path().filename().string().starts_with(prefix)) {
            std::filesystem::remove(item.path(), ignored);
        }
    }
}

mode_t modeOf(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? (status.st_mode & 07777) : kNewFileMode;
}

}  // namespace

RegFileStore::RegFileStore(std::filesystem::path folder, std::string rootName)
    : folder_(std::move(folder)),
      rootName_(std::move(rootName)),
      file_(folder_ / (rootName_ + ".reg")),
      lockFile_(folder_ / (rootName_ + ".reg.lock")) {}

RegStatus RegFileStore::readForQuery(std::optional<RegDocument>& document) const {
    std::optional<std::string> text;
    try {
        text = readRegularFile(file_, kLargestFile);
    } catch (const std::system_error& failure) {
        if (failure.code() == std::errc::not_a_directory) {
            return RegStatus::NotFound;
        }
        return isRefusal(failure) ? RegStatus::AccessDenied : RegStatus::BadDatabase;
    }
    if (!text) {
        return RegStatus::NotFound;
    }
    if (!mayChange(file_)) {
        return RegStatus::AccessDenied;
    }
    document = RegDocument::parse(*text, rootName_);
    return document ? RegStatus::Success : RegStatus::BadDatabase;
}

RegStatus RegFileStore::queryValue(const std::string& keyPath, const std::string& valueName,
                                   RegistryValue& value) const {
    std::optional<RegDocument> document;
    if (const RegStatus status = readForQuery(document); status != RegStatus::Success) {
        return status;
    }
    const RegistryValue* found = document->findValue(keyPath, valueName);
    if (found == nullptr) {
        return RegStatus::NotFound;
    }
    value = *found;
    return RegStatus::Success;
}

RegStatus RegFileStore::setValue(const std::string& keyPath, const std::string& valueName,
                                 const RegistryValue& value) const {
    if (!RegDocument::canHold(value)) {
        return RegStatus::InvalidParameter;
    }
    return change(keyPath, valueName, [&](RegDocument& document) {
        document.setValue(keyPath, valueName, value);
        return RegStatus::Success;
    });
}

RegStatus RegFileStore::deleteValue(const std::string& keyPath,
                                    const std::string& valueName) const {
    return change(keyPath, valueName, [&](RegDocument& document) {
        return document.deleteValue(keyPath, valueName) ? RegStatus::Success : RegStatus::NotFound;
    });
}

RegStatus RegFileStore::change(const std::string& keyPath, const std::string& valueName,
                               const Change& apply) const {
    if (!canHoldName(keyPath) || !canHoldName(valueName)) {
        return RegStatus::InvalidParameter;
    }
    try {
        std::filesystem::create_directories(folder_);
        const FileLock lock(lockFile_, kLockPatience);
        return changeLocked(apply);
    } catch (const std::system_error& failure) {
        if (isRefusal(failure)) {
            return RegStatus::AccessDenied;
        }
        throw;
    }
}

// Runs with the lock held: the file read here is the latest one any writer has left.
RegStatus RegFileStore::changeLocked(const Change& apply) const {
    const std::filesystem::path target = replacementTarget(file_);
    removeStaleTemporaries(target);
    std::optional<std::string> text;
    try {
        text = readRegularFile(target, kLargestFile);
    } catch (const std::system_error& failure) {
        if (!isOversized(failure)) {
            throw;
        }
        moveAside(target);
    }
    if (text && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        throwErrno("open", target);
    }
    RegDocument document = currentOrFresh(target, text);
    const RegStatus status = apply(document);
    const std::string updated = document.serialize();
    if (!text || updated != *text) {
        replaceFileAtomically(target, updated, modeOf(target));
    }
    return status;
}

RegDocument RegFileStore::currentOrFresh(const std::filesystem::path& target,
                                         const std::optional<std::string>& text) const {
    if (text) {
        if (auto parsed = RegDocument::parse(*text, rootName_)) {
            return std::move(*parsed);
        }
        moveAside(target);
    }
    return RegDocument(rootName_);
}

}  // namespace velmora
