#pragma once

#include <string>

#include "ports/RegistryBackend.h"

namespace velmora {

// The programs the user's session starts when it begins, each entry under a name of its own.
// Refusals (no rights, a name or command the store cannot hold, no such entry) come back as
// the status; failures of the system underneath are thrown as std::system_error.
class Autostart {
  public:
    virtual ~Autostart() = default;

    // Starts `command` with the session under `entryName`, replacing an entry of that name.
    virtual RegStatus enable(const std::string& entryName, const std::string& command) = 0;
    // Stops starting the entry of that name; NotFound when there is none.
    virtual RegStatus disable(const std::string& entryName) = 0;
};

}  // namespace velmora
