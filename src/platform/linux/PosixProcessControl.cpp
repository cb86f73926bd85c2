#include "linux/PosixProcessControl.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "linux/UniqueFd.h"

namespace velmora {

namespace {

// The descriptor the package is started through, in the child: the path /proc/self/fd/3
// names the very file Velmora wrote, also for the script interpreter of a script package,
// which opens that path again.
constexpr int kPackageDescriptor = 3;
constexpr const char* kPackagePath = "/proc/self/fd/3";

// The package gets a clean start: default signal handling, nothing blocked, its standard
// streams on the null device (an installer that leaves a process behind must not hold
// Velmora's output open), and none of the program's own descriptors beyond the package's
// own (a lock file held open by the package would outlive the program).
class SpawnSettings {
  public:
    explicit SpawnSettings(int package) {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, package, kPackageDescriptor);
        posix_spawn_file_actions_addclosefrom_np(&actions_, kPackageDescriptor + 1);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    const posix_spawnattr_t* attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* actions() const { return &actions_; }

  private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

}  // namespace

PosixProcessControl::PosixProcessControl(EventLoopWait& events, EventLog& log)
    : events_(events), log_(log) {}

// The packages install into folders of the user's choosing ($VELMORA_COMMON_FILES, /opt):
// the program asks for no other rights than its own.
bool PosixProcessControl::ownRightsSuffice(const std::string& /*folder*/) {
    return true;
}

PackageStart PosixProcessControl::startPackage(const SavedPackage& package,
                                               const std::string& argument,
                                               StartRights /*rights*/) {
    PackageStart started;
    // Above the descriptors the child's file actions fill, so that none of them closes it
    // and the duplicate in the child loses its close-on-exec flag.
    const UniqueFd source(
        ::fcntl(static_cast<int>(package.handle()), F_DUPFD_CLOEXEC, kPackageDescriptor + 1));
    if (!source) {
        started.error = std::strerror(errno);
        return started;
    }
    std::string programName = package.fileName();
    std::string firstArgument = argument;
    std::array<char*, 3> argv{programName.data(), firstArgument.data(), nullptr};

    const SpawnSettings settings(source.get());
    pid_t child = 0;
    const int status = posix_spawn(&child, kPackagePath, settings.actions(), settings.attributes(),
                                   argv.data(), environ);
    if (status != 0) {
        started.error = std::strerror(status);
        return started;
    }
    started.status = PackageStart::Status::Started;
    started.processId = static_cast<std::int32_t>(child);
    return started;
}

std::int32_t PosixProcessControl::waitForProcess(const std::int32_t& processId) {
    // glibc 2.36's <sys/pidfd.h> lacks extern "C"; the system call avoids the link error.
    const UniqueFd pidfd(static_cast<int>(syscall(SYS_pidfd_open, processId, 0)));
    if (!pidfd) {
        if (errno != ESRCH) {
            reportError(errno);
        }
        return 0;
    }
    switch (events_.waitFor(WaitHandle{pidfd.get()})) {
        case WaitOutcome::Ready:
            // Collect the exit status of our own child so that it leaves no zombie; any
            // other process is reaped by its parent.
            waitpid(processId, nullptr, WNOHANG);
            return 1;
        case WaitOutcome::Quit:
            quitRequested_ = true;
            return 0;
        case WaitOutcome::Failed:
            reportError(errno);
            return 0;
    }
    return 0;
}

void PosixProcessControl::reportError(int errorNumber) {
    const bool showBox = false;
    const bool writeToLog = true;
    log_.report("ERROR #" + std::to_string(errorNumber) + " : " + std::strerror(errorNumber),
                showBox, writeToLog);
}

}  // namespace velmora
