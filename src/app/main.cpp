// The program's one entry point: the resident tray program without arguments, the
// command-line modes otherwise. On Windows it is built twice: velmora.exe for the desktop (no
// console) and velmora.com, its console front end; cmd.exe prefers the .com when the user
// types `velmora`, and waits for it, so the command-line modes print their notices and
// return their exit status in the console; started without arguments it hands over to
// velmora.exe and returns at once, as starting a desktop program from a console does.
#include <string>
#include <vector>

#include "ResidentProgram.h"
#include "UpdateNow.h"
#include "ports/ProgramProcess.h"
#include "shell/CommandLine.h"
#ifdef VELMORA_CONSOLE_FRONT_END
#include "win/WinProcessStart.h"
#endif

int main(int argc, char* argv[]) {
    velmora::prepareProcess();
    // The name people type, whichever file (and whatever path) started.
    const std::string programName = "velmora";
    const velmora::CommandLine commandLine =
        velmora::parseCommandLine(velmora::programArguments(argc, argv));
    switch (commandLine.mode) {
        case velmora::CommandMode::Version:
            velmora::writeStandardText(velmora::StandardStream::Output,
                                       velmora::versionText() + "\n");
            return 0;
        case velmora::CommandMode::Help:
            velmora::writeStandardText(velmora::StandardStream::Output,
                                       velmora::usageText(programName));
            return 0;
        case velmora::CommandMode::Invalid:
            velmora::writeStandardText(velmora::StandardStream::Error,
                                       velmora::usageText(programName));
            return 2;
        case velmora::CommandMode::UpdateNow:
            // Needs no display server: no desktop is made in this mode.
            return velmora::runUpdateNow(commandLine.progress);
        case velmora::CommandMode::ForgetPublisher:
            return velmora::forgetPublisher();
        case velmora::CommandMode::Resident:
            break;
    }
#ifdef VELMORA_CONSOLE_FRONT_END
    return velmora::handOverToDesktopProgram();
#else
    return velmora::runResident(argc, argv);
#endif
}
