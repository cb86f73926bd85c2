#include "linux/PolicyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <utility>

#include "linux/UniqueFd.h"

namespace velmora {

namespace {

// A policy file is a few hundred bytes; anything this large is no policy file.
constexpr std::size_t kLargestFile = std::size_t{1} << 20;
constexpr const char* kRootName = "HKEY_LOCAL_MACHINE";

bool onlyRootMayWrite(const struct stat& status) {
    return status.st_uid == 0 && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Every folder from the file's up to the root: owned by root and writable by nobody else,
// unless the sticky bit keeps other users from replacing what root put there.
bool foldersOnlyRootMayChange(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path parent = file.parent_path().empty() ? "." : file.parent_path();
    std::filesystem::path folder = std::filesystem::canonical(parent, error);
    if (error) {
        return false;
    }
    for (;;) {
        struct stat status {};
        if (::stat(folder.c_str(), &status) != 0 || status.st_uid != 0 ||
            ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (status.st_mode & S_ISVTX) == 0)) {
            return false;
        }
        if (folder == folder.root_path()) {
            return true;
        }
        folder = folder.parent_path();
    }
}

RegStatus openFailure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return RegStatus::NotFound;
        case ELOOP:  // a symbolic link, which whoever owns its folder could point elsewhere
        case EACCES:
        case EPERM:
            return RegStatus::AccessDenied;
        default:
            return RegStatus::BadDatabase;
    }
}

// The file's text when only root could have written it.
RegStatus readTrusted(const std::filesystem::path& file, std::string& text) {
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid()) {
        return openFailure(errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return RegStatus::BadDatabase;
    }
    if (!S_ISREG(status.st_mode) || !onlyRootMayWrite(status) || !foldersOnlyRootMayChange(file)) {
        return RegStatus::AccessDenied;
    }
    std::array<char, 65536> chunk{};
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || text.size() + static_cast<std::size_t>(got) > kLargestFile) {
            return RegStatus::BadDatabase;
        }
        if (got == 0) {
            return RegStatus::Success;
        }
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace

PolicyFile::PolicyFile(std::filesystem::path file) : file_(std::move(file)) {}

RegStatus PolicyFile::document(const RegDocument*& keys) {
    if (!readStatus_) {
        std::string text;
        readStatus_ = readTrusted(file_, text);
        if (*readStatus_ == RegStatus::Success) {
            keys_ = RegDocument::parse(text, kRootName);
            readStatus_ = keys_ ? RegStatus::Success : RegStatus::BadDatabase;
        }
    }
    keys = keys_ ? &*keys_ : nullptr;
    return *readStatus_;
}

RegStatus PolicyFile::queryValue(RootKey root, const std::string& keyPath,
                                 const std::string& valueName, RegistryValue& value) {
    const RegDocument* keys = nullptr;
    const RegStatus status = root == RootKey::LocalMachine ? document(keys) : RegStatus::NotFound;
    if (status != RegStatus::Success) {
        return status;
    }
    const RegistryValue* found = keys->findValue(keyPath, valueName);
    if (found == nullptr) {
        return RegStatus::NotFound;
    }
    value = *found;
    return RegStatus::Success;
}

RegStatus PolicyFile::setValue(RootKey /*root*/, const std::string& /*keyPath*/,
                               const std::string& /*valueName*/, const RegistryValue& /*value*/) {
    return RegStatus::AccessDenied;
}

RegStatus PolicyFile::deleteValue(RootKey /*root*/, const std::string& /*keyPath*/,
                                  const std::string& /*valueName*/) {
    return RegStatus::AccessDenied;
}

std::string PolicyFile::storeLocation(RootKey root) const {
    return root == RootKey::LocalMachine ? file_.string() : std::string();
}

}  // namespace velmora
