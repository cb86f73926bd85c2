#include "settings/RegistrySettings.h"

#include <utility>

#include "ports/Utf8Path.h"

namespace velmora {

StartupEntry startupEntryFor(const std::string& appPath, const std::string& exeName) {
    return {exeName, utf8Text(utf8Path(appPath) / utf8Path(exeName))};
}

RegistrySettings::RegistrySettings(Reg& reg, Autostart& autostart, StartupEntry entry,
                                   const Policies& policies)
    : reg_(reg), autostart_(autostart), entry_(std::move(entry)), policies_(policies) {}

LoadedSettings RegistrySettings::load() {
    LoadedSettings loaded;
    const std::string keyPath = settingsKeyPath();
    for (const StoredSetting& stored : kStoredSettings) {
        readStoredSetting(loaded.settings, stored.key,
                          reg_.readValue(RootKey::CurrentUser, keyPath, std::string(stored.name)));
    }
    loaded.unreadableStore = reg_.unreadableStoreReport();
    loaded.settings = effectiveSettings(loaded.settings, policies_);
    loaded.policies = policies_;
    return loaded;
}

// Every value a policy leaves to the user is written, changed or not, and a failed write
// stops none of the others; the start-up entry follows, made or removed.
void RegistrySettings::save(const Settings& settings) {
    const std::string keyPath = settingsKeyPath();
    for (const StoredSetting& stored : kStoredSettings) {
        if (policies_.manages(stored.key)) {
            continue;
        }
        reg_.writeValue(RootKey::CurrentUser, keyPath, std::string(stored.name),
                        storedText(settings, stored.key));
    }
    if (settings.startWithSession) {
        reg_.makeChange([this] {
            return autostart_.enable(entry_.name, entry_.command) == AutostartResult::Done;
        });
    } else {
        reg_.makeChange(
            [this] { return autostart_.disable(entry_.name) == AutostartResult::Done; });
    }
}

}  // namespace velmora
