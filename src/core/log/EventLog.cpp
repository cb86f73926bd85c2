#include "log/EventLog.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <system_error>
#include <utility>

#include "ports/Utf8Path.h"

namespace velmora {

namespace {

// Opens, writes and closes in one go, so the file is never held between reports. A line
// that does not fit (full disk, file-size limit) is cut off again, so the log keeps only
// whole lines and the line goes to the next destination whole.
bool appendTo(const std::filesystem::path& file, const std::string& line) {
    if (file.empty()) {
        return false;
    }
    std::ofstream out(file, std::ios::out | std::ios::app | std::ios::binary);
    if (!out) {
        return false;
    }
    std::error_code sizeError;
    const std::uintmax_t sizeBefore = std::filesystem::file_size(file, sizeError);
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.close();
    if (out.fail()) {
        if (!sizeError) {
            std::error_code ignored;
            std::filesystem::resize_file(file, sizeBefore, ignored);
        }
        return false;
    }
    return true;
}

bool appendCreatingFolder(const std::filesystem::path& file, const std::string& line,
                          const LogFileAppender& append) {
    if (file.empty()) {
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return append(file, line);
}

}  // namespace

EventLog::EventLog(LogDestinations destinations, Notifier& notifier, LocalClock clock)
    : destinations_(std::move(destinations)), notifier_(notifier), clock_(std::move(clock)) {
    if (!destinations_.append) {
        destinations_.append = appendTo;
    }
}

void EventLog::report(const std::string& message, bool showBox, bool writeToLog) {
    if (writeToLog) {
        appendLine(formatLine(clock_(), message));
    }
    if (showBox) {
        notifier_.showNotice(message);
    }
}

std::string EventLog::formatLine(const LogStamp& when, const std::string& text) {
    return when.date + " " + when.time + " : " + text + "\r\n";
}

void EventLog::appendLine(const std::string& line) {
    if (!destinations_.primary.empty() && destinations_.append(destinations_.primary, line)) {
        return;
    }
    if (appendCreatingFolder(destinations_.fallback, line, destinations_.append)) {
        return;
    }
    std::cerr << line << std::flush;
}

std::filesystem::path logFileBeside(const std::string& appPath, const std::string& exeName) {
    return utf8Path(appPath) / utf8Path(exeName + ".log");
}

}  // namespace velmora
