#pragma once

#include "log/EventLog.h"
#include "ports/RegistryBackend.h"
#include "settings/Policies.h"

namespace velmora {

// Reads the administrator's policies once, as the program starts, from `store`, which is
// only ever read: its HKEY_LOCAL_MACHINE root, key policyKeyPath(). Policies are string
// values with the settings' own texts; "CachePackages" is "1" or "0". A value that is not a
// string, not a number the setting's range holds, or an unusable mirror URL is left out with
// one line in the log, as is a store that cannot be read or trusted; the log takes these
// lines whatever the logging option says, and nothing else is reported.
Policies readPolicies(RegistryBackend& store, EventLog& log);

}  // namespace velmora
