#pragma once

#include <functional>
#include <string>

#include "ports/Autostart.h"
#include "ports/RegistryBackend.h"

namespace velmora {

// Start-up entries as values of the registry's Run keys: the machine's, which starts the
// program for every user, when the program's folder and file can be changed by
// administrators alone (else anyone who could change them would have their code started in
// every user's session); the user's own where the machine's is not for it or is refused (an
// ordinary user). Each value's data is the program's quoted command line.
class RunKeyAutostart final : public Autostart {
  public:
    // The Run key's path under either root.
    static constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

    // Whether only administrators can change a file or folder (its full path).
    using AdministratorsOnly = std::function<bool(const std::wstring& path)>;

    RunKeyAutostart(RegistryBackend& registry, AdministratorsOnly administratorsOnly);

    // `program` is the program file's full path without its ".exe".
    AutostartResult enable(const std::string& entryName, const std::string& program) override;
    AutostartResult disable(const std::string& entryName) override;

  private:
    bool mayStartForEveryUser(const std::string& program) const;

    RegistryBackend& registry_;
    AdministratorsOnly administratorsOnly_;
};

}  // namespace velmora
