#include "e2e/SampleMirror.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "Version.h"

namespace velmora::test {

namespace fs = std::filesystem;

SampleMirror::SampleMirror(const fs::path& folder, const std::vector<std::string>& options)
    : logFile_(folder / "mirror.log") {
    const fs::path portFile = folder / "mirror.port";
    // A mirror started earlier in the same folder left its port behind.
    fs::remove(portFile);
    std::vector<std::string> arguments{
        "python3",     std::string(VELMORA_SOURCE_DIR) + "/tools/sample-mirror",
        "--host",      version::kVendorHost,
        "--port-file", portFile.string(),
        "--log",       logFile_.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        execvp("python3", argv.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(portFile);
        if (in >> port_ && port_ > 0) {
            return;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    throw std::runtime_error("the sample mirror did not start");
}

SampleMirror::~SampleMirror() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::vector<std::string> SampleMirror::requests() const {
    std::vector<std::string> lines;
    std::ifstream in(logFile_);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace velmora::test
