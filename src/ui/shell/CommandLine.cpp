#include "shell/CommandLine.h"

#include <algorithm>

#include "Version.h"

namespace velmora {

namespace {

// --update-now with at most one of --quiet and --progress, in either order.
CommandLine parseUpdateNow(const std::vector<std::string>& arguments) {
    const auto count = [&arguments](const char* option) {
        return std::count(arguments.begin(), arguments.end(), option);
    };
    const auto quiet = count("--quiet");
    const auto progress = count("--progress");
    const bool known = count("--update-now") == 1 &&
                       static_cast<std::size_t>(1 + quiet + progress) == arguments.size();
    if (!known || quiet + progress > 1) {
        return {};
    }
    if (quiet == 1) {
        return {CommandMode::UpdateNow, ProgressDisplay::Never};
    }
    if (progress == 1) {
        return {CommandMode::UpdateNow, ProgressDisplay::Always};
    }
    return {CommandMode::UpdateNow, ProgressDisplay::OnTerminal};
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return {CommandMode::Resident};
    }
    if (arguments.size() == 1 && arguments.front() == "--version") {
        return {CommandMode::Version};
    }
    if (arguments.size() == 1 && arguments.front() == "--help") {
        return {CommandMode::Help};
    }
    if (arguments.size() == 1 && arguments.front() == "--forget-publisher") {
        return {CommandMode::ForgetPublisher};
    }
    return parseUpdateNow(arguments);
}

std::string usageText(const std::string& programName) {
    return "Usage: " + programName +
           " [--update-now [--quiet | --progress] | --forget-publisher | --version | --help]\n"
           "\n"
           "Without arguments Velmora stays in the notification area and keeps the virus\n"
           "definitions up to date on its timer.\n"
           "\n"
           "  --update-now  run one update now, print each notice as a line and exit:\n"
           "                0 updated or up to date, 1 otherwise, 3 another Velmora runs\n"
           "  --quiet       with --update-now: no progress line while downloading\n"
           "  --progress    with --update-now: progress even when standard error is not a\n"
           "                terminal, as a plain line every few seconds\n"
           "  --forget-publisher\n"
           "                forget the publisher whose signature packages must carry, so\n"
           "                that the next signed package names it anew\n"
           "  --version     print the version and exit\n"
           "  --help        print this help and exit\n"
           "\n"
           "See velmora(1) for the files, the environment and examples.\n";
}

std::string versionText() {
    return std::string("Velmora ") + version::kText;
}

}  // namespace velmora
