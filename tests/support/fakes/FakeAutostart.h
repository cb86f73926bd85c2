#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "ports/Autostart.h"

namespace velmora::test {

// The session's start-up entries in memory, every change recorded in order. Names in
// `refused` are refused as a folder without the rights would refuse them, and `failure`,
// when set, is thrown by every change as a failing system would.
class FakeAutostart final : public Autostart {
  public:
    AutostartResult enable(const std::string& entryName, const std::string& command) override {
        changes.push_back("enable " + entryName + "=" + command);
        const AutostartResult status = refusalOf(entryName);
        if (status == AutostartResult::Done) {
            entries[entryName] = command;
        }
        return status;
    }
    AutostartResult disable(const std::string& entryName) override {
        changes.push_back("disable " + entryName);
        const AutostartResult status = refusalOf(entryName);
        if (status == AutostartResult::Done && entries.erase(entryName) == 0) {
            return AutostartResult::NotFound;
        }
        return status;
    }

    // The command started under that name; empty when there is none.
    std::string command(const std::string& entryName) const {
        const auto entry = entries.find(entryName);
        return entry == entries.end() ? std::string() : entry->second;
    }

    std::map<std::string, std::string> entries;
    std::vector<std::string> changes;
    std::set<std::string> refused;
    std::optional<std::errc> failure;

  private:
    AutostartResult refusalOf(const std::string& entryName) const {
        if (failure) {
            throw std::system_error(std::make_error_code(*failure), "autostart");
        }
        return refused.contains(entryName) ? AutostartResult::Refused : AutostartResult::Done;
    }
};

}  // namespace velmora::test
