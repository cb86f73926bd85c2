#include "linux/PollEventLoopWait.h"

#include <poll.h>

#include <array>
#include <cerrno>

namespace velmora {

WaitOutcome PollEventLoopWait::waitFor(WaitHandle handle) {
    const int fd = static_cast<int>(handle.native());
    if (fd < 0) {
        // poll() would skip a negative descriptor and sleep for ever.
        errno = EBADF;
        return WaitOutcome::Failed;
    }
    // A negative descriptor is skipped: without end requests only `fd` is watched. The
    // request is left unread, so every later wait ends at once too.
    std::array<pollfd, 2> watched{pollfd{fd, POLLIN, 0}, pollfd{endRequests_, POLLIN, 0}};
    while (poll(watched.data(), watched.size(), -1) < 0) {
        if (errno != EINTR) {
            return WaitOutcome::Failed;
        }
    }
    if ((watched[0].revents & POLLNVAL) != 0) {
        errno = EBADF;
        return WaitOutcome::Failed;
    }
    if ((watched[1].revents & POLLIN) != 0) {
        return WaitOutcome::Quit;
    }
    return WaitOutcome::Ready;
}

}  // namespace velmora
