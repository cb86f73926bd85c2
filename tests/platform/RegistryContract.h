#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "log/EventLog.h"
#include "ports/RegistryBackend.h"
#include "settings/Reg.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora::test {

// One registry backend under test: how to make a fresh, empty one inside a scratch folder.
struct RegistryBackendMaker {
    std::string name;
    std::function<std::unique_ptr<RegistryBackend>(const std::filesystem::path& scratch)> make;
    // The Windows registry folds the case of every letter, not only of ASCII ones.
    bool foldsOnlyAsciiCase = true;
    // A store that holds one line of text per value, as the settings need, and refuses any
    // other data; the Windows registry holds data of every type.
    bool holdsOnlyText = false;
};

inline std::ostream& operator<<(std::ostream& out, const RegistryBackendMaker& maker) {
    return out << maker.name;
}

// The behaviour every registry backend shows through the three Reg procedures. A backend
// joins by instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, RegistryContract, ::testing::Values(RegistryBackendMaker{...}));
class RegistryContract : public ::testing::TestWithParam<RegistryBackendMaker> {
  protected:
    TempDir dir;
    RecordingNotifier notifier;
    std::filesystem::path logFile = dir / "log" / "velmora.log";
    EventLog log{{logFile, {}}, notifier, test::fixedTime};
    std::unique_ptr<RegistryBackend> backend = GetParam().make(dir / "store");
    Reg reg{*backend, log};

    void SetUp() override { std::filesystem::create_directories(logFile.parent_path()); }

    // Status answers shape results only: nothing may have been reported.
    void expectNothingReported() const {
        EXPECT_TRUE(notifier.notices.empty());
        EXPECT_FALSE(std::filesystem::exists(logFile));
    }
};

}  // namespace velmora::test
