#pragma once

#include <string>

namespace velmora {

// How a change to the session's start-up entries went.
enum class AutostartResult {
    Done,
    NotFound,  // there was no such entry to stop
    Refused,   // the system refuses the user the change
    Invalid,   // a name or command no entry can hold
};

// The programs the user's session starts when it begins, each entry under a name of its own.
// Failures of the system underneath are thrown as std::system_error.
class Autostart {
  public:
    virtual ~Autostart() = default;

    // Starts `command` with the session under `entryName`, replacing an entry of that name.
    virtual AutostartResult enable(const std::string& entryName, const std::string& command) = 0;
    // Stops starting the entry of that name.
    virtual AutostartResult disable(const std::string& entryName) = 0;
};

}  // namespace velmora
