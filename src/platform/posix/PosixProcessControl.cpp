#include "platform/posix/PosixProcessControl.h"

#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/UniqueFd.h"

namespace velmora {

namespace {

// Words separated by blanks; a double-quoted stretch keeps its blanks.
std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

// A bare name is run from the working directory, never looked up on the search path.
std::string programPath(const std::string& program) {
    return program.find('/') == std::string::npos ? "./" + program : program;
}

// The package gets a clean start: default signal handling, nothing blocked, and none of
// the program's own descriptors beyond the standard three (a lock file held open by the
// package would outlive the program).
class SpawnSettings {
  public:
    SpawnSettings() {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
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

std::int32_t PosixProcessControl::startProgram(const std::string& commandLine, std::string& error) {
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty()) {
        error = std::strerror(ENOENT);
        return 0;
    }
    const std::string path = programPath(words.front());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const SpawnSettings settings;
    pid_t child = 0;
    const int status = posix_spawn(&child, path.c_str(), settings.actions(), settings.attributes(),
                                   argv.data(), environ);
    if (status != 0) {
        error = std::strerror(status);
        return 0;
    }
    return static_cast<std::int32_t>(child);
}

std::int32_t PosixProcessControl::WaitForProcess(const std::int32_t& processId) {
    // glibc 2.36's <sys/pidfd.h> lacks extern "C"; the system call avoids the link error.
    const UniqueFd pidfd(static_cast<int>(syscall(SYS_pidfd_open, processId, 0)));
    if (!pidfd) {
        if (errno != ESRCH) {
            reportError(errno);
        }
        return 0;
    }
    switch (events_.waitUntilReadable(pidfd.get())) {
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
    const Flag16 showBox = kFalse;
    const Flag16 writeToLog = kTrue;
    log_.WriteLog("ERROR #" + std::to_string(errorNumber) + " : " + std::strerror(errorNumber),
                  showBox, writeToLog);
}

}  // namespace velmora
