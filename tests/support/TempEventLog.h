#pragma once

#include <filesystem>
#include <string>
#include <utility>

#include "log/EventLog.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora::test {

// An event log writing into a fresh temporary folder, its notices recorded instead of
// shown; log lines are dated by `clock` (14 November 2004, 9:05:07 unless told otherwise).
class TempEventLog {
  public:
    explicit TempEventLog(LocalClock clock = fixedTime)
        : log{{dir / "velmora.log", dir / "fallback.log"}, notifier, std::move(clock)} {}

    // What the log file holds, empty text when nothing was written.
    std::string logged() const {
        return std::filesystem::exists(dir / "velmora.log") ? readFile(dir / "velmora.log") : "";
    }

    TempDir dir;
    RecordingNotifier notifier;
    EventLog log;
};

}  // namespace velmora::test
