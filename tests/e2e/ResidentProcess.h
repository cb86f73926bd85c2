#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

// A program started in the background without a shell, with its arguments, changes to the
// environment (std::nullopt removes a variable), the output folder as its working folder
// and its standard output and error going to files there.
// Killed and reaped when the object goes, if it is still running.
class ResidentProcess {
  public:
    ResidentProcess(const std::filesystem::path& program,
                    const std::map<std::string, std::optional<std::string>>& environment,
                    const std::filesystem::path& outputFolder,
                    const std::vector<std::string>& arguments = {});
    ~ResidentProcess();
    ResidentProcess(const ResidentProcess&) = delete;
    ResidentProcess& operator=(const ResidentProcess&) = delete;

    // Waits until `file` exists; false when the process ended first or time ran out.
    bool waitForFile(const std::filesystem::path& file, std::chrono::milliseconds limit);
    // The exit status once the process has ended (-1 when a signal ended it), or
    // std::nullopt when it is still running after `limit`.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    void sendSignal(int signalNumber);

    std::string standardOutput() const;
    std::string standardError() const;

  private:
    bool reap(bool block);

    pid_t pid_ = -1;
    std::optional<int> exitStatus_;
    std::filesystem::path outFile_;
    std::filesystem::path errFile_;
};

}  // namespace velmora::test
