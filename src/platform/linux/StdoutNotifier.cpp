#include "linux/StdoutNotifier.h"

#include <unistd.h>

#include <cerrno>

namespace velmora {

namespace {

// A report that spans lines (a hash-list failure quotes the whole list) still takes one
// line, so that scripts can read one notice per line: each line break becomes a space.
std::string asOneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line + '\n';
}

}  // namespace

// Written straight to the descriptor, unbuffered: a closed or broken output (a reader that
// has gone, a full disk) loses the notice and leaves no failed stream state behind, and the
// run goes on.
void StdoutNotifier::showNotice(const std::string& text) {
    const std::string line = asOneLine(text);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(STDOUT_FILENO, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace velmora
