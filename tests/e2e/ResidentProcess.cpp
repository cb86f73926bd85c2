#include "e2e/ResidentProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace velmora::test {

namespace {

std::vector<std::string> mergedEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            merged[name] = *value;
        } else {
            merged.erase(name);
        }
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) {
        result.push_back(name + "=" + value);
    }
    return result;
}

constexpr auto kPollStep = std::chrono::milliseconds(5);

}  // namespace

ResidentProcess::ResidentProcess(
    const std::filesystem::path& program,
    const std::map<std::string, std::optional<std::string>>& environment,
    const std::filesystem::path& outputFolder, const std::vector<std::string>& arguments)
    : outFile_(outputFolder / (program.filename().string() + ".stdout")),
      errFile_(outputFolder / (program.filename().string() + ".stderr")) {
    const std::vector<std::string> variables = mergedEnvironment(environment);
    std::vector<char*> envp;
    for (const std::string& variable : variables) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);
    const std::string programText = program.string();
    std::vector<char*> argv{const_cast<char*>(programText.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, outputFolder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int failed =
        posix_spawn(&pid_, programText.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + programText);
    }
}

ResidentProcess::~ResidentProcess() {
    if (!exitStatus_) {
        ::kill(pid_, SIGKILL);
        reap(true);
    }
}

bool ResidentProcess::waitForFile(const std::filesystem::path& file,
                                  std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(file)) {
        if (reap(false) || std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

std::optional<int> ResidentProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!reap(false)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return exitStatus_;
}

void ResidentProcess::sendSignal(int signalNumber) {
    if (!exitStatus_) {
        ::kill(pid_, signalNumber);
    }
}

std::string ResidentProcess::standardOutput() const {
    return readFile(outFile_);
}

std::string ResidentProcess::standardError() const {
    return readFile(errFile_);
}

bool ResidentProcess::reap(bool block) {
    if (exitStatus_) {
        return true;
    }
    int status = 0;
    pid_t got = 0;
    do {
        got = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got != pid_) {
        return false;
    }
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

}  // namespace velmora::test
