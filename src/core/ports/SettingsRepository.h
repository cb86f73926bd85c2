#pragma once

#include <string>

#include "settings/Settings.h"

namespace velmora {

// The settings as they were loaded, with what could not be read.
struct LoadedSettings {
    Settings settings;
    // Non-empty when the store could not be read at all, so that every setting is its
    // default: the report the user is to be shown (it is in the log already).
    std::string unreadableStore;
};

// Where the user's settings are kept.
class SettingsRepository {
  public:
    virtual ~SettingsRepository() = default;
    virtual LoadedSettings load() = 0;
    // Stores every setting; a failed write is reported by the store and does not stop the
    // writes after it.
    virtual void save(const Settings& settings) = 0;
};

}  // namespace velmora
