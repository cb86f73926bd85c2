#pragma once

#include <filesystem>
#include <string>

#include "ports/Autostart.h"

namespace velmora {

// Start-up entries kept as <name>.desktop files in an autostart folder, the command in the
// entry's Exec. Each entry is written whole and renamed into place, so a reader never sees
// half an entry.
class DesktopAutostart final : public Autostart {
  public:
    explicit DesktopAutostart(std::filesystem::path folder);

    AutostartResult enable(const std::string& entryName, const std::string& command) override;
    AutostartResult disable(const std::string& entryName) override;

  private:
    // The entry of that name, matched without regard to ASCII case; empty when none.
    std::filesystem::path findEntry(const std::string& entryName) const;
    AutostartResult createFolder() const;

    std::filesystem::path folder_;
};

}  // namespace velmora
