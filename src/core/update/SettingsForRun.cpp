#include "update/SettingsForRun.h"

namespace velmora {

RunRequest runRequestFor(const Settings& applied, const Settings& pending,
                         const std::string& installedVersion, bool showBox) {
    return {.flavour = applied.flavour,
            .keepPackages = pending.keepPackages,
            .installedVersion = installedVersion,
            .showBox = showBox,
            .writeToLog = applied.log};
}

}  // namespace velmora
