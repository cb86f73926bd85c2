#include "shell/CommandLine.h"

#include "Version.h"

namespace velmora {

CommandMode parseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return CommandMode::Resident;
    }
    if (arguments.size() > 1) {
        return CommandMode::Invalid;
    }
    const std::string& only = arguments.front();
    if (only == "--update-now") {
        return CommandMode::UpdateNow;
    }
    if (only == "--version") {
        return CommandMode::Version;
    }
    if (only == "--help") {
        return CommandMode::Help;
    }
    return CommandMode::Invalid;
}

std::string usageText(const std::string& programName) {
    return "Usage: " + programName +
           " [--update-now | --version | --help]\n"
           "\n"
           "Without arguments Velmora stays in the notification area and keeps the virus\n"
           "definitions up to date on its timer.\n"
           "\n"
           "  --update-now  run one update now, report each notice on standard output and\n"
           "                exit: 0 updated or already up to date, 1 any other outcome,\n"
           "                3 another Velmora is running\n"
           "  --version     print the version and exit\n"
           "  --help        print this help and exit\n";
}

std::string versionText() {
    return std::string("Velmora ") + version::kText;
}

}  // namespace velmora
