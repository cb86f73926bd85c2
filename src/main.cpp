#include <iostream>
#include <string>
#include <vector>

#include "ResidentProgram.h"
#include "UpdateNow.h"
#include "shell/CommandLine.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string programName = argc > 0 ? argv[0] : "velmora";
    switch (velmora::parseCommandLine(arguments)) {
        case velmora::CommandMode::Version:
            std::cout << velmora::versionText() << '\n';
            return 0;
        case velmora::CommandMode::Help:
            std::cout << velmora::usageText(programName);
            return 0;
        case velmora::CommandMode::Invalid:
            std::cerr << velmora::usageText(programName);
            return 2;
        case velmora::CommandMode::UpdateNow:
            // Needs no display server: no QApplication is made in this mode.
            return velmora::runUpdateNow();
        case velmora::CommandMode::Resident:
            break;
    }
    return velmora::runResident(argc, argv);
}
