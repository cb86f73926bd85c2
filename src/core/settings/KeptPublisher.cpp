#include "settings/KeptPublisher.h"

#include "settings/Settings.h"

namespace velmora {

namespace {

constexpr const char* kValueName = "Publisher";

}  // namespace

KeptPublisher::KeptPublisher(Reg& reg) : reg_(reg) {}

std::optional<std::string> KeptPublisher::read() {
    return reg_.readWholeValue(RootKey::CurrentUser, settingsKeyPath(), kValueName);
}

bool KeptPublisher::keep(const std::string& publisher) {
    return reg_.writeValue(RootKey::CurrentUser, settingsKeyPath(), kValueName, publisher);
}

bool KeptPublisher::forget() {
    return reg_.deleteValue(RootKey::CurrentUser, settingsKeyPath(), kValueName);
}

}  // namespace velmora
