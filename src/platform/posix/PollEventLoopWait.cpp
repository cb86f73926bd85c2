#include "platform/posix/PollEventLoopWait.h"

#include <poll.h>

#include <cerrno>

namespace velmora {

WaitOutcome PollEventLoopWait::waitUntilReadable(int fd) {
    if (fd < 0) {
        // poll() would skip a negative descriptor and sleep for ever.
        errno = EBADF;
        return WaitOutcome::Failed;
    }
    pollfd watched{fd, POLLIN, 0};
    while (poll(&watched, 1, -1) < 0) {
        if (errno != EINTR) {
            return WaitOutcome::Failed;
        }
    }
    if ((watched.revents & POLLNVAL) != 0) {
        errno = EBADF;
        return WaitOutcome::Failed;
    }
    return WaitOutcome::Ready;
}

}  // namespace velmora
