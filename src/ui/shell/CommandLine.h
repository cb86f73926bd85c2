#pragma once

#include <string>
#include <vector>

#include "update/TransferProgress.h"

namespace velmora {

enum class CommandMode { Resident, UpdateNow, ForgetPublisher, Version, Help, Invalid };

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
