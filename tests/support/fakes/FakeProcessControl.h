#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/ProcessControl.h"
#include "support/fakes/FakePackageFile.h"

namespace velmora::test {

// Starts nothing: records each start and plays the package's effect, which a test scripts
// from the bytes that were saved (a package is whatever the test says those bytes do).
class FakeProcessControl final : public ProcessControl {
  public:
    struct Start {
        std::string fileName;
        std::string argument;
        std::string contents;
    };
    enum class WaitEnd { Ends, Fails, Quit };

    std::int32_t startPackage(const SavedPackage& package, const std::string& argument,
                              std::string& error) override {
        const auto* saved = dynamic_cast<const FakeSavedPackage*>(&package);
        starts.push_back({package.fileName(), argument, saved ? saved->contents() : ""});
        if (!startError.empty()) {
            error = startError;
            return 0;
        }
        if (effect) {
            effect(starts.back());
        }
        return nextProcessId_++;
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
    std::string startError;                    // non-empty: nothing can be started
    std::function<void(const Start&)> effect;  // what the started package does
    WaitEnd waitEnd = WaitEnd::Ends;
    std::function<WaitEnd()> duringWait;  // runs as events served during the wait would

  private:
    std::int32_t nextProcessId_ = 1000;
    bool quit_ = false;
};

}  // namespace velmora::test
