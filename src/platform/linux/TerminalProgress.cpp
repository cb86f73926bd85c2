#include "linux/TerminalProgress.h"

#include <unistd.h>

#include <cerrno>

namespace velmora {

namespace {

constexpr auto kRewriteEvery = std::chrono::milliseconds(200);
constexpr auto kPlainLineEvery = std::chrono::seconds(5);
// Back to the start of the line, then erase to its end.
constexpr const char* kClearLine = "\r\x1b[K";

}  // namespace

TerminalProgress::TerminalProgress(int fd, ProgressDisplay display) : fd_(fd) {
    const bool terminal = ::isatty(fd) == 1;
    if (display == ProgressDisplay::Never ||
        (display == ProgressDisplay::OnTerminal && !terminal)) {
        style_ = Style::None;
    } else {
        style_ = terminal ? Style::Rewriting : Style::PlainLines;
    }
}

void TerminalProgress::start(const std::string& what) {
    const std::lock_guard lock(mutex_);
    progress_ = {what, 0, std::nullopt, {}};
    started_ = Clock::now();
    lastShown_.reset();
}

void TerminalProgress::update(std::uint64_t received, std::optional<std::uint64_t> total) {
    if (style_ == Style::None) {
        return;
    }
    const std::lock_guard lock(mutex_);
    progress_.received = received;
    progress_.total = total;
    const auto now = Clock::now();
    const auto every = style_ == Style::Rewriting ? Clock::duration(kRewriteEvery)
                                                  : Clock::duration(kPlainLineEvery);
    if (!lastShown_ || now - *lastShown_ >= every) {
        show(now);
    }
}

void TerminalProgress::finish() {
    const std::lock_guard lock(mutex_);
    if (style_ == Style::Rewriting && lineOnScreen_) {
        write(kClearLine);
        lineOnScreen_ = false;
    } else if (style_ == Style::PlainLines && lastShown_) {
        // The last figures, so that a log shows how the download ended.
        show(Clock::now());
    }
}

void TerminalProgress::show(Clock::time_point now) {
    progress_.elapsed = now - started_;
    lastShown_ = now;
    if (style_ == Style::Rewriting) {
        write(kClearLine + progressText(progress_));
        lineOnScreen_ = true;
    } else {
        write(progressText(progress_) + "\n");
    }
}

// Progress is a courtesy: a write that fails is dropped, never retried or reported.
void TerminalProgress::write(const std::string& text) const {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t result = ::write(fd_, text.data() + written, text.size() - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return;
        }
        written += static_cast<std::size_t>(result);
    }
}

}  // namespace velmora
