#pragma once

#include <string>

#include "ports/SingleInstance.h"
#include "win/UniqueHandle.h"

namespace velmora {

// The user's only Velmora in this session: a named mutex in the session's namespace
// ("Local\<base name>-<the user's SID>"), held while the object lives and released by
// Windows however the process ends. Its handle is not inherited by started programs.
class NamedMutexInstance final : public SingleInstance {
  public:
    // Tries once, without waiting.
    explicit NamedMutexInstance(const std::string& baseName = "Velmora");

    Outcome outcome() const override { return outcome_; }
    const std::string& problem() const override { return problem_; }

  private:
    UniqueHandle mutex_;
    Outcome outcome_ = Outcome::Unavailable;
    std::string problem_;
};

}  // namespace velmora
