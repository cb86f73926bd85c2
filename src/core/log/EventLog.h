#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "ports/Clock.h"
#include "ports/Notifier.h"

namespace velmora {

// Appends one line to a file and tells whether the whole line is there.
using LogFileAppender =
    std::function<bool(const std::filesystem::path& file, const std::string& line)>;

// Where log lines go: the file beside the executable, then a per-user fallback when
// that one cannot be opened or written, then standard error.
struct LogDestinations {
    std::filesystem::path primary;
    std::filesystem::path fallback;
    // How a line is appended; when empty, the standard library's append mode.
    LogFileAppender append = {};
};

// The one channel through which the program reports what happened: a dated line in the
// log file, a notice box, both or neither.
class EventLog {
  public:
    EventLog(LogDestinations destinations, Notifier& notifier, LocalClock clock);

    // The line is on disk and its file closed before the box opens, so a report survives
    // even while its box is still waiting for the user.
    void report(const std::string& message, bool showBox, bool writeToLog);

    // The date, a blank, the time, " : ", the text and CR LF.
    static std::string formatLine(const LogStamp& when, const std::string& text);

  private:
    void appendLine(const std::string& line);

    LogDestinations destinations_;
    Notifier& notifier_;
    LocalClock clock_;
};

// The log file beside the executable: in its folder, its base name and ".log".
std::filesystem::path logFileBeside(const std::string& appPath, const std::string& exeName);

}  // namespace velmora
