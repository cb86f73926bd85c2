#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "ResidentProgram.h"
#include "UpdateNow.h"
#include "shell/CommandLine.h"

int main(int argc, char* argv[]) {
    // Under a file-size limit a write past it would end the program by this signal, with no
    // word to the user; ignored, the write fails with EFBIG and is reported like a full
    // disk. Started packages get default signal handling back.
    std::signal(SIGXFSZ, SIG_IGN);
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
