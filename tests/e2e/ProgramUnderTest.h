#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ProcessRunner.h"

namespace velmora::test {

// The command line that runs the program under test: the program itself, or the program
// under the checker that VELMORA_E2E_WRAPPER names (words separated by spaces, for example
// "valgrind --error-exitcode=97 --leak-check=full"), so that the end-to-end cases can be
// run once more under memcheck.
inline std::vector<std::string> programCommandLine(const std::string& program,
                                                   const std::vector<std::string>& arguments) {
    std::vector<std::string> line;
    if (const char* wrapper = std::getenv("VELMORA_E2E_WRAPPER")) {
        std::istringstream words(wrapper);
        for (std::string word; words >> word;) {
            line.push_back(word);
        }
    }
    line.push_back(program);
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

inline ProcessResult runProgram(
    const std::string& program, const std::vector<std::string>& arguments,
    const std::map<std::string, std::optional<std::string>>& environment = {}) {
    std::vector<std::string> line = programCommandLine(program, arguments);
    const std::string first = line.front();
    line.erase(line.begin());
    if (first.find('/') == std::string::npos) {
        line.insert(line.begin(), first);
        return runProcess("/usr/bin/env", line, environment);
    }
    return runProcess(first, line, environment);
}

}  // namespace velmora::test
