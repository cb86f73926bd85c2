#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

struct ProcessResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string standardOutput;
    std::string standardError;
};

// Runs a program without a shell, with the given changes to the environment (a value of
// std::nullopt removes the variable), and collects its output.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::optional<std::string>>& environment = {});

}  // namespace velmora::test
