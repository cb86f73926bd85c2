#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/ProcessControl.h"

namespace velmora::test {

// Starts nothing: records each start and plays the package's effect, which a test scripts
// from the bytes that were saved (a package is whatever the test says those bytes do).
class FakeProcessControl final : public ProcessControl {
  public:
    struct Start {
        std::string fileName;
        std::string argument;
        StartRights rights = StartRights::Own;
    };
    enum class WaitEnd { Ends, Fails, Quit };

    bool ownRightsSuffice(const std::string& folder) override {
        rightsAskedFor.push_back(folder);
        return ownRights;
    }

    PackageStart startPackage(const SavedPackage& package, const std::string& argument,
                              StartRights rights) override {
        starts.push_back({package.fileName(), argument, rights});
        PackageStart started;
        if (!startError.empty()) {
            started.error = startError;
            return started;
        }
        if (rights == StartRights::Own && ownStartNeedsAdministrator) {
            started.status = PackageStart::Status::NeedsAdministrator;
            return started;
        }
        if (rights == StartRights::Administrator && consentDeclined) {
            started.status = PackageStart::Status::Declined;
            return started;
        }
        if (effect) {
            effect(starts.back());
        }
        started.status = PackageStart::Status::Started;
        started.processId = nextProcessId_++;
        return started;
    }

    std::int32_t waitForProcess(const std::int32_t& processId) override {
        waitedFor.push_back(processId);
        WaitEnd end = waitEnd;
        if (duringWait) {
            end = duringWait();
        }
        quit_ = quit_ || end == WaitEnd::Quit;
        return end == WaitEnd::Ends ? 1 : 0;
    }

    bool quitRequested() const override { return quit_; }

    std::vector<Start> starts;
    std::vector<std::int32_t> waitedFor;
    std::vector<std::string> rightsAskedFor;
    bool ownRights = true;                     // the program may write the definitions folder
    bool ownStartNeedsAdministrator = false;   // the system asks for an administrator
    bool consentDeclined = false;              // the user says no to that
    std::string startError;                    // non-empty: nothing can be started
    std::function<void(const Start&)> effect;  // what the started package does
    WaitEnd waitEnd = WaitEnd::Ends;
    std::function<WaitEnd()> duringWait;  // runs as events served during the wait would

  private:
    std::int32_t nextProcessId_ = 1000;
    bool quit_ = false;
};

}  // namespace velmora::test
