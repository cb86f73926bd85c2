#include "settings/Policies.h"

#include "settings/AppTitle.h"

namespace velmora {

std::string policyKeyPath() {
    return std::string("SOFTWARE") + "\\" + "Policies" + "\\" + "Tessaloy" + "\\" + kAppTitle;
}

std::vector<std::string_view> policyValueNames() {
    std::vector<std::string_view> names;
    for (const StoredSetting& stored : kStoredSettings) {
        if (stored.administrable) {
            names.push_back(stored.name);
        }
    }
    names.insert(names.end(), {kUpdateUrlPolicy, kPackagePublisherPolicy, kCachePackagesPolicy});
    return names;
}

const Policies& noPolicies() {
    static const Policies none;
    return none;
}

Settings effectiveSettings(const Settings& user, const Policies& policies) {
    Settings effective = user;
    for (const SettingKey key : policies.managed) {
        // Through the stored form, so that a new setting cannot be left out of this rule.
        readStoredSetting(effective, key, storedText(policies.settings, key));
    }
    return effective;
}

}  // namespace velmora
