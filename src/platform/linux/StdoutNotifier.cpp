#include "linux/StdoutNotifier.h"

#include <unistd.h>

#include <cerrno>

#include "log/NoticeLine.h"

namespace velmora {

// Written straight to the descriptor, unbuffered: a closed or broken output (a reader that
// has gone, a full disk) loses the notice and leaves no failed stream state behind, and the
// run goes on.
void StdoutNotifier::showNotice(const std::string& text) {
    const std::string line = noticeLine(text);
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
