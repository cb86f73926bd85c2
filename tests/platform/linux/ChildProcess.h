#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

namespace velmora::test {

// A forked copy of the test process running one function; its return value is the exit
// status. Waited for (and killed first, if still running) when the object goes.
class ChildProcess {
  public:
    explicit ChildProcess(const std::function<int()>& body) : pid_(fork()) {
        if (pid_ < 0) {
            throw std::runtime_error("fork failed");
        }
        if (pid_ == 0) {
            _exit(body());
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(SIGKILL);
            wait();
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void kill(int signal) { ::kill(pid_, signal); }

    // The exit status, or -1 when the child did not exit normally (killed by a signal).
    int wait() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0) {
            if (errno != EINTR) {
                return -1;
            }
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_;
};

}  // namespace velmora::test
