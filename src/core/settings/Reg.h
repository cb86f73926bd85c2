#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "log/EventLog.h"
#include "ports/RegistryBackend.h"
#include "ports/RootKey.h"

namespace velmora {

// The only place the program touches the registry. Each call opens one key, does one thing
// with one string value and closes the key again. Status answers of the store (a missing
// key or value, access denied) only shape the result; run-time failures while writing or
// deleting are reported as "ERROR #<number> : <description>" with both notice flags set.
class Reg {
  public:
    Reg(RegistryBackend& backend, EventLog& log);

    // Empty text when the key or value is missing, the value is not a string, or its text
    // with the terminating NUL needs more than 256 bytes. A store that cannot be read at all
    // gives empty text too, and is reported to the log the first time, whatever the logging
    // option: every setting then reads as its default, which the user must be told.
    std::string readValue(RootKey root, const std::string& keyPath, const std::string& valueName);
    // The whole text of a string value, however long: empty text when the key or value is
    // missing or the value is not a string; nothing when the store cannot be read at all.
    std::optional<std::string> readWholeValue(RootKey root, const std::string& keyPath,
                                              const std::string& valueName);
    // The report of a store that could not be read at all, logged when it was met; empty
    // until then.
    const std::string& unreadableStoreReport() const { return unreadableReport_; }
    // True when the value was stored; missing keys along the path are created.
    bool writeValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                    const std::string& data);
    // True when the value existed and was deleted; a missing key path is created first.
    bool deleteValue(RootKey root, const std::string& keyPath, const std::string& valueName);
    // Makes a change to another store of the user's, such as the session's start-up
    // entries: its own result, or false after a run-time failure reported as a write's is.
    bool makeChange(const std::function<bool()>& change);

  private:
    void reportRunTimeError(const std::exception_ptr& failure);
    void reportUnreadableStore(RootKey root);

    RegistryBackend& backend_;
    EventLog& log_;
    std::string unreadableReport_;  // empty until an unreadable store is met
};

}  // namespace velmora
