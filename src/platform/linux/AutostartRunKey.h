#pragma once

#include <filesystem>
#include <string>

#include "ports/RegistryBackend.h"

namespace velmora {

// The machine's Run key kept as start-up entries in an autostart folder: one value per
// <name>.desktop file, its data the entry's Exec, unquoted. Only string values fit. Each
// entry is written whole and renamed into place, so a reader never sees half an entry.
class AutostartRunKey {
  public:
    explicit AutostartRunKey(std::filesystem::path folder);

    RegStatus openKey() const;
    RegStatus queryValue(const std::string& valueName, RegistryValue& value) const;
    RegStatus setValue(const std::string& valueName, const RegistryValue& value) const;
    RegStatus deleteValue(const std::string& valueName) const;

  private:
    // The entry of that value name, matched without regard to ASCII case; empty when none.
    std::filesystem::path findEntry(const std::string& valueName) const;
    RegStatus createFolder() const;

    std::filesystem::path folder_;
};

}  // namespace velmora
