#include <gtest/gtest.h>

#include <chrono>

#include "curl/CurlFetcher.h"
#include "support/LoopbackHttpServer.h"

namespace velmora {
namespace {

using test::HttpResponse;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The program's own time-outs, unshortened: 30 s without a byte, 15 s to connect.
TEST(CurlFetcherRealTimeouts, SilenceAfterPartOfTheBodyFailsAfterThirtySeconds) {
    test::LoopbackHttpServer server;
    server.on("/stall", HttpResponse::ok(test::patternedBody(100000)).thenStall(5000));
    CurlFetcher fetcher;
    ByteBuffer buffer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetcher.fetchWhole(server.url("/stall"), buffer, 1u << 20), 0u);
    EXPECT_GE(secondsSince(start), 30.0);
    EXPECT_LT(secondsSince(start), 33.0);
}

TEST(CurlFetcherRealTimeouts, UnansweredConnectionEndsAfterFifteenSeconds) {
    test::UnansweringPeer peer;
    CurlFetcher fetcher;
    ByteBuffer buffer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetcher.fetchWhole(peer.url("/hash.txt"), buffer, 1u << 20), 0u);
    EXPECT_GE(secondsSince(start), 15.0);
    EXPECT_LT(secondsSince(start), 17.0);
}

}  // namespace
}  // namespace velmora
