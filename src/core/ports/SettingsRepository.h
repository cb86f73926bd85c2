#pragma once

#include <string>

#include "settings/Policies.h"
#include "settings/Settings.h"

namespace velmora {

// The settings as they were loaded, with what could not be read.
struct LoadedSettings {
    // What the program goes by: each setting as a policy sets it, else as the user chose it.
    Settings settings;
    // Non-empty when the store could not be read at all, so that every setting is its
    // default: the report the user is to be shown (it is in the log already).
    std::string unreadableStore;
    // The administrator's policies, whose values `settings` holds already.
    Policies policies;
};

// Where the user's settings are kept, and the administrator's policies over them.
class SettingsRepository {
  public:
    virtual ~SettingsRepository() = default;
    virtual LoadedSettings load() = 0;
    // Stores every setting the policies leave to the user; the user's own value of one a
    // policy sets stays as it was. A failed write is reported by the store and does not
    // stop the writes after it.
    virtual void save(const Settings& settings) = 0;
};

}  // namespace velmora
