#pragma once

#include <string>

namespace velmora {

// Whether this is the only Velmora of the user; a lock that is held while the object lives
// and that the operating system releases however the process ends.
class SingleInstance {
  public:
    enum class Outcome {
        Acquired,       // no other instance: this process now holds the lock
        HeldElsewhere,  // another process holds it
        Unavailable,    // the lock could not be made; `problem()` says why
    };

    virtual ~SingleInstance() = default;
    virtual Outcome outcome() const = 0;
    virtual const std::string& problem() const = 0;
};

}  // namespace velmora
