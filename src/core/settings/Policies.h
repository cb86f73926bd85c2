#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

namespace velmora {

// The values of an administrator's policy beyond the user's own settings.
inline constexpr std::string_view kUpdateUrlPolicy = "UpdateUrl";
inline constexpr std::string_view kPackagePublisherPolicy = "PackagePublisher";
inline constexpr std::string_view kCachePackagesPolicy = "CachePackages";

// "SOFTWARE\Policies\Tessaloy\" + the application title, under HKEY_LOCAL_MACHINE: the key
// the policies live under.
std::string policyKeyPath();

// Every value name a policy may hold: the administrable settings' names, then the three
// values of the policies alone.
std::vector<std::string_view> policyValueNames();

// What the administrator's policies set, each value in place of the user's own. Anything
// they leave unset is the user's to choose.
struct Policies {
    Settings settings;             // the values of the settings in `managed`; the rest unused
    std::set<SettingKey> managed;  // the settings a policy sets
    std::string updateUrl;  // a mirror's base URL, with its closing slash; empty: the vendor's
    std::string packagePublisher;  // the publisher packages must come from; empty: the first kept
    bool cachePackages = false;    // caches on the way may answer the package request

    bool manages(SettingKey key) const { return managed.contains(key); }
};

// Policies that set nothing: every setting is the user's.
const Policies& noPolicies();

// The one rule for every setting: a policy's value over the user's own, and the user's own
// over the default (which `user` already holds for a value nothing was stored for).
Settings effectiveSettings(const Settings& user, const Policies& policies);

}  // namespace velmora
