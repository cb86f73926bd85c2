#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "ports/ProgramProcess.h"

namespace velmora {

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

void prepareProcess() {
    openClosedStandardStreams();
    // A reader of the notices that has gone (`velmora --update-now | head -1`) must not end
    // a run half way, after the installer and before the package is deleted: ignored, a
    // write to it fails with EPIPE and the notice is lost, nothing more.
    std::signal(SIGPIPE, SIG_IGN);
    // Under a file-size limit a write past it would end the program by this signal, with no
    // word to the user; ignored, the write fails with EFBIG and is reported like a full
    // disk. Started packages get default signal handling back.
    std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> programArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

bool writeStandardText(StandardStream stream, const std::string& text) {
    std::FILE* out = stream == StandardStream::Output ? stdout : stderr;
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

}  // namespace velmora
