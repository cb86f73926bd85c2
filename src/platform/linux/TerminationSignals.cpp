#include "linux/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace velmora {

namespace {

volatile sig_atomic_t writeEndForHandler = -1;

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do on failure: a full pipe already holds a wake-up.
    [[maybe_unused]] const auto written = ::write(writeEndForHandler, &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    writeEndForHandler = writeEnd_;

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    int index = 0;
    for (const int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, &previous_[index++]);
    }
}

TerminationSignals::~TerminationSignals() {
    int index = 0;
    for (const int signalNumber : kSignals) {
        ::sigaction(signalNumber, &previous_[index++], nullptr);
    }
    writeEndForHandler = -1;
    ::close(readEnd_);
    ::close(writeEnd_);
}

int TerminationSignals::takeSignal() {
    int last = 0;
    unsigned char byte = 0;
    while (::read(readEnd_, &byte, 1) == 1) {
        last = byte;
    }
    return last;
}

}  // namespace velmora
