#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class CommandMode { Resident, UpdateNow, Version, Help, Invalid };

// Whether --update-now shows a progress line on standard error while it downloads.
enum class ProgressDisplay {
    OnTerminal,  // a line that rewrites itself, when standard error is a terminal
    Never,       // --quiet
    Always,      // --progress: also into a file or a pipe, then as plain lines now and then
};

struct CommandLine {
    CommandMode mode = CommandMode::Invalid;
    ProgressDisplay progress = ProgressDisplay::OnTerminal;
};

// Without arguments Velmora is the resident tray program; the other modes serve people
// who start it from a terminal, a script or a timer unit.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText(const std::string& programName);
std::string versionText();

}  // namespace velmora
