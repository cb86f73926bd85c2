#pragma once

#include <string>

#include "ports/Autostart.h"
#include "ports/RegistryBackend.h"

namespace velmora {

// Start-up entries as values of the registry's Run keys: the machine's, which starts the
// program for every user, and where that is refused (an ordinary user), the user's own.
// Each value's data is the program's quoted command line.
class RunKeyAutostart final : public Autostart {
  public:
    // The Run key's path under either root.
    static constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

    explicit RunKeyAutostart(RegistryBackend& registry);

    // `program` is the program file's full path without its ".exe".
    RegStatus enable(const std::string& entryName, const std::string& program) override;
    RegStatus disable(const std::string& entryName) override;

  private:
    RegistryBackend& registry_;
};

}  // namespace velmora
