#include "linux/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "linux/UniqueFd.h"

namespace velmora {

namespace {

// A folder someone else made or can write to could be used to take the lock away from its
// owner, so only a real folder of this user that nobody else can write to is used. It is
// checked through the descriptor it is then used by, so it cannot be swapped in between.
bool isPrivateFolder(int folder, std::string& why) {
    struct stat info {};
    if (::fstat(folder, &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        why = "owned by another user";
        return false;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = "writable by others";
        return false;
    }
    return true;
}

}  // namespace

InstanceLock::InstanceLock(const std::filesystem::path& folder, const std::string& fileName)
    : InstanceLock(std::vector<std::filesystem::path>{folder}, fileName) {}

InstanceLock::InstanceLock(const std::vector<std::filesystem::path>& folders,
                           const std::string& fileName) {
    std::string problems;
    for (const auto& folder : folders) {
        tryFolder(folder, fileName);
        if (outcome_ != Outcome::Unavailable) {
            return;
        }
        problems += (problems.empty() ? "" : "; ") + problem_;
    }
    problem_ = problems.empty() ? "no folder for the lock" : problems;
}

InstanceLock::~InstanceLock() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void InstanceLock::tryFolder(const std::filesystem::path& folder, const std::string& fileName) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        fail("cannot create " + folder.string(), errno);
        return;
    }
    const UniqueFd folderFd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folderFd) {
        fail("cannot open the folder " + folder.string(), errno);
        return;
    }
    if (std::string why; !isPrivateFolder(folderFd.get(), why)) {
        fail(folder.string() + ": " + why);
        return;
    }
    const std::filesystem::path file = folder / fileName;
    descriptor_ =
        ::openat(folderFd.get(), fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor_ < 0) {
        fail("cannot open " + file.string(), errno);
        return;
    }
    if (::flock(descriptor_, LOCK_EX | LOCK_NB) == 0) {
        outcome_ = Outcome::Acquired;
        return;
    }
    if (errno == EWOULDBLOCK) {
        outcome_ = Outcome::HeldElsewhere;
        return;
    }
    fail("cannot lock " + file.string(), errno);
}

void InstanceLock::fail(const std::string& what, int error) {
    fail(what + ": " + std::strerror(error));
}

void InstanceLock::fail(const std::string& problem) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    problem_ = problem;
    outcome_ = Outcome::Unavailable;
}

}  // namespace velmora
