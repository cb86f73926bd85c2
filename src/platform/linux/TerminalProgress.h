#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "update/TransferProgress.h"

namespace velmora {

// Shows how a download is coming along on standard error: on a terminal one line that
// rewrites itself a few times a second and is cleared when the download ends, so that the
// next notice starts on a clean line; elsewhere, when asked for, a plain line every few
// seconds. Called from the thread that runs the download.
class TerminalProgress {
  public:
    TerminalProgress(int fd, ProgressDisplay display);

    void start(const std::string& what);
    void update(std::uint64_t received, std::optional<std::uint64_t> total);
    void finish();

  private:
    enum class Style { None, Rewriting, PlainLines };
    using Clock = std::chrono::steady_clock;

    void show(Clock::time_point now);
    void write(const std::string& text) const;

    int fd_;
    Style style_;
    std::mutex mutex_;
    TransferProgress progress_;
    Clock::time_point started_;
    std::optional<Clock::time_point> lastShown_;
    bool lineOnScreen_ = false;
};

}  // namespace velmora
