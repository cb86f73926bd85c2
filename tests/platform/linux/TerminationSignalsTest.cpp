#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>

#include "linux/TerminationSignals.h"

namespace velmora {
namespace {

bool readable(int descriptor) {
    pollfd entry{descriptor, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

void (*currentHandler(int signalNumber))(int) {
    struct sigaction current {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler;
}

TEST(TerminationSignalsTest, SignalsBecomeBytesOnThePipeInsteadOfEndingTheProcess) {
    const auto before = currentHandler(SIGTERM);
    {
        TerminationSignals signals;
        EXPECT_FALSE(readable(signals.readDescriptor()));
        EXPECT_EQ(signals.takeSignal(), 0);

        std::raise(SIGTERM);
        EXPECT_TRUE(readable(signals.readDescriptor()));
        EXPECT_EQ(signals.takeSignal(), SIGTERM);
        EXPECT_FALSE(readable(signals.readDescriptor()));

        std::raise(SIGINT);
        std::raise(SIGHUP);
        EXPECT_EQ(signals.takeSignal(), SIGHUP);
        EXPECT_EQ(signals.takeSignal(), 0);
    }
    EXPECT_EQ(currentHandler(SIGTERM), before);
}

}  // namespace
}  // namespace velmora
