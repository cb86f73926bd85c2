#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ports/SingleInstance.h"

namespace velmora {

// A per-user lock that tells whether another Velmora is running: an flock() on a file in
// the user's runtime folder, held for the life of the object and released by the kernel
// when the process ends in any way. The descriptor is not inherited by started programs,
// so an installer that outlives the program does not keep the lock.
class InstanceLock final : public SingleInstance {
  public:
    // Tries once, without waiting. `folder` is created (mode 0700) when missing; a folder
    // that is a link, another user's or writable by others is not used (Unavailable).
    explicit InstanceLock(const std::filesystem::path& folder,
                          const std::string& fileName = "velmora.lock");
    // Tries the folders in turn, going on to the next only while the lock is Unavailable;
    // `problem()` then names why each one could not be used.
    explicit InstanceLock(const std::vector<std::filesystem::path>& folders,
                          const std::string& fileName = "velmora.lock");
    ~InstanceLock() override;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome outcome() const override { return outcome_; }
    const std::string& problem() const override { return problem_; }

  private:
    void tryFolder(const std::filesystem::path& folder, const std::string& fileName);
    void fail(const std::string& what, int error);
    void fail(const std::string& problem);

    int descriptor_ = -1;
    Outcome outcome_ = Outcome::Unavailable;
    std::string problem_;
};

}  // namespace velmora
