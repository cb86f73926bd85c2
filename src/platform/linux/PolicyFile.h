#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "linux/RegDocument.h"
#include "ports/RegistryBackend.h"

namespace velmora {

// The administrator's policies on Linux: the key
// [HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Tessaloy\Velmora] of a .reg file, normally
// /etc/velmora/policy.reg, read once and never written. A file that a user other than root
// could have written is no administrator's: one that root does not own, that its group or
// others may write, that is reached through a link, or that lies in a folder such a user
// could change (a folder with the sticky bit excepted, whose entries only their owners may
// replace). Such a file answers AccessDenied; a missing file holds no policy.
class PolicyFile final : public RegistryBackend {
  public:
    static constexpr const char* kDefaultPath = "/etc/velmora/policy.reg";

    explicit PolicyFile(std::filesystem::path file);

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override;
    // Policies are never written: AccessDenied, and the file is not touched.
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override;
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override;
    std::string storeLocation(RootKey root) const override;

  private:
    // The file's keys, read the first time they are asked for; the status of that read.
    RegStatus document(const RegDocument*& keys);

    std::filesystem::path file_;
    std::optional<RegStatus> readStatus_;
    std::optional<RegDocument> keys_;
};

}  // namespace velmora
