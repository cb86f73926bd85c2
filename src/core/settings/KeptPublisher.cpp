#include "settings/KeptPublisher.h"

#include "settings/SettingsStore.h"

namespace velmora {

namespace {

constexpr const char* kValueName = "Publisher";

}  // namespace

KeptPublisher::KeptPublisher(Reg& reg) : reg_(reg) {}

std::optional<std::string> KeptPublisher::read() {
    return reg_.readWholeValue(RootKey::CurrentUser, SettingsStore::settingsKeyPath(), kValueName);
}

bool KeptPublisher::keep(const std::string& publisher) {
    return reg_.writeValue(RootKey::CurrentUser, SettingsStore::settingsKeyPath(), kValueName,
                           publisher);
}

bool KeptPublisher::forget() {
    return reg_.deleteValue(RootKey::CurrentUser, SettingsStore::settingsKeyPath(), kValueName);
}

}  // namespace velmora
