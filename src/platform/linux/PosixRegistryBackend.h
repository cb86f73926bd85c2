#pragma once

#include <filesystem>

#include "linux/RegFileStore.h"
#include "ports/RegistryBackend.h"

namespace velmora {

// The registry kept in files under the user's configuration folder:
// <config>/velmora/registry/HKEY_CURRENT_USER.reg and HKEY_LOCAL_MACHINE.reg.
class PosixRegistryBackend final : public RegistryBackend {
  public:
    // `configHome` is normally xdgConfigHome().
    explicit PosixRegistryBackend(const std::filesystem::path& configHome);

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override;
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override;
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override;
    std::string storeLocation(RootKey root) const override;

  private:
    const RegFileStore* storeFor(RootKey root) const;

    RegFileStore currentUser_;
    RegFileStore localMachine_;
};

}  // namespace velmora
