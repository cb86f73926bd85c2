#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "ResidentProgram.h"
#include "UpdateNow.h"
#include "shell/CommandLine.h"

namespace {

// Started with a standard stream closed (`velmora --update-now >&-`), the first file the
// program opens would take its number, and the notices would be written into that file:
// each closed one is opened onto /dev/null first.
void openClosedStandardStreams() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0 && devNull != stream) {
            ::dup2(devNull, stream);
            ::close(devNull);
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    openClosedStandardStreams();
    // A reader of the notices that has gone (`velmora --update-now | head -1`) must not end
    // a run half way, after the installer and before the package is deleted: ignored, a
    // write to it fails with EPIPE and the notice is lost, nothing more.
    std::signal(SIGPIPE, SIG_IGN);
    // Under a file-size limit a write past it would end the program by this signal, with no
    // word to the user; ignored, the write fails with EFBIG and is reported like a full
    // disk. Started packages get default signal handling back.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string programName = argc > 0 ? argv[0] : "velmora";
    const velmora::CommandLine commandLine = velmora::parseCommandLine(arguments);
    switch (commandLine.mode) {
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
            return velmora::runUpdateNow(commandLine.progress);
        case velmora::CommandMode::ForgetPublisher:
            return velmora::forgetPublisher();
        case velmora::CommandMode::Resident:
            break;
    }
    return velmora::runResident(argc, argv);
}
