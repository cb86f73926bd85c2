#include "platform/posix/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

namespace {

// A folder someone else made or can write to could be used to take the lock away from its
// owner, so only a real folder of this user that nobody else can write to is used.
bool isPrivateFolder(const std::filesystem::path& folder, std::string& why) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        why = "not a folder";
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

InstanceLock::InstanceLock(const std::filesystem::path& folder, const std::string& fileName) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        fail("cannot create " + folder.string(), errno);
        return;
    }
    if (std::string why; !isPrivateFolder(folder, why)) {
        problem_ = folder.string() + ": " + why;
        return;
    }
    const std::filesystem::path file = folder / fileName;
    descriptor_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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

InstanceLock::~InstanceLock() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void InstanceLock::fail(const std::string& what, int error) {
    problem_ = what + ": " + std::strerror(error);
    outcome_ = Outcome::Unavailable;
}

}  // namespace velmora
