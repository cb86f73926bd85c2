#include "update/SettingsForRun.h"

namespace velmora {

RunRequest runRequestFor(const Settings& applied, const Settings& pending, const Policies& policies,
                         const std::string& installedVersion, bool showBox) {
    const Settings stored = effectiveSettings(applied, policies);
    return {.flavour = stored.flavour,
            .keepPackages = effectiveSettings(pending, policies).keepPackages,
            .installedVersion = installedVersion,
            .source = updateSourceFor(policies),
            .cachePackages = policies.cachePackages,
            .requiredPublisher = policies.packagePublisher,
            .showBox = showBox,
            .writeToLog = stored.log};
}

UpdateSource updateSourceFor(const Policies& policies) {
    return policies.updateUrl.empty() ? vendorSource() : UpdateSource{policies.updateUrl};
}

}  // namespace velmora
