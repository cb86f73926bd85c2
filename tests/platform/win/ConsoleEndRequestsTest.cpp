#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <optional>

#include "win/ConsoleEndRequests.h"

namespace velmora {
namespace {

bool signalled(const EndRequests& requests) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(requests.handle().native()), 0) ==
           WAIT_OBJECT_0;
}

// The handler is called here as Windows calls it, on a thread of its own.
TEST(ConsoleEndRequestsTest, AClosedConsoleLetsTheProcessEndOnlyOnceTheRunIsOver) {
    std::optional<ConsoleEndRequests> requests(std::in_place);
    EXPECT_TRUE(ConsoleEndRequests::onControl(CTRL_C_EVENT));
    EXPECT_TRUE(signalled(*requests));
    requests->take();
    EXPECT_FALSE(signalled(*requests));

    std::future<BOOL> closed = std::async(
        std::launch::async, [] { return ConsoleEndRequests::onControl(CTRL_CLOSE_EVENT); });
    for (int tries = 0; tries < 500 && !signalled(*requests); ++tries) {
        ::Sleep(10);
    }
    EXPECT_TRUE(signalled(*requests)) << "the run is told at once";
    EXPECT_EQ(closed.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
        << "the handler returned while the run was still ending: Windows would end the "
           "process before it removed its partial package";

    requests.reset();
    ASSERT_EQ(closed.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(closed.get());
    EXPECT_FALSE(ConsoleEndRequests::onControl(CTRL_CLOSE_EVENT))
        << "with no run to end, Windows' own handling applies";
}

}  // namespace
}  // namespace velmora
