#pragma once

#include <string>

#include "settings/Policies.h"
#include "settings/Settings.h"
#include "update/UpdateService.h"

namespace velmora {

// Which copy of the settings a run goes by. The flavour and logging are taken as applied
// (stored), so that a flavour chosen in the window but not applied never pairs with a run;
// keeping packages is taken as the window shows it, applied or not, so that the user's edit
// counts at once. (Automatic update and its interval, which decide when the timer starts a
// run, are likewise read from the window as it stands.) Whatever the administrator's
// policies set comes first in either copy, and they say where the run fetches from, whether
// a caching proxy may answer for the package and whose signature it must carry.
RunRequest runRequestFor(const Settings& applied, const Settings& pending, const Policies& policies,
                         const std::string& installedVersion, bool showBox);

// Where the hash list and the packages come from: a mirror set by a policy, else the vendor.
UpdateSource updateSourceFor(const Policies& policies);

}  // namespace velmora
