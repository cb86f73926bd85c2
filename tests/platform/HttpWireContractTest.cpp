#include <chrono>
#include <string>
#include <vector>

#include "HttpFetcherContract.h"
#include "HttpWireContract.h"
#include "support/LoopbackHttpServer.h"

namespace velmora::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kLimit = std::uint64_t{1} << 20;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whatever the client library makes of such an answer, it is never a body: each would let a
// cut list be searched as whole or a cut package be taken for a bad one. (The other heads
// that ResponseHead refuses are its own test's.)
TEST_P(HttpWireContract, AnAnswerWhoseEndCannotBeToldIsAFailedDownload) {
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    // A list entry of 0x37 bytes.
    const std::string entry = "0123456789ABCDEF0123456789ABCDEF 20041114-017-x86.exe\r\n";
    const std::vector<std::pair<std::string, std::string>> answers{
        {"last chunk 20 bytes short", chunked + "5\r\nhello\r\n37\r\n" + entry.substr(0, 35)},
        {"no last chunk", chunked + "5\r\nhello\r\n"},
        {"chunk size of 20 hex digits",
         chunked + "1000000000000000000a\r\n0123456789\r\n0\r\n\r\n"},
        {"chunk size not hexadecimal", chunked + "zz\r\nhello\r\n0\r\n\r\n"},
        {"chunk without its line end", chunked + "5\r\nhelloXX0\r\n\r\n"},
        {"length beyond 64 bits",
         "HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551623\r\n\r\n" + entry.substr(0, 40)},
        {"two lengths",
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\nhello1234"},
        {"shorter than announced", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello"},
    };
    LoopbackHttpServer server;
    const auto subject = GetParam().make(FetchTimeouts{1500ms, 2s});
    for (const auto& [name, answer] : answers) {
        SCOPED_TRACE(name);
        server.on("/list", HttpResponse::raw(answer));
        ContractReceiver receiver;
        EXPECT_EQ(subject->fetcher().fetch(server.url("/list"), kLimit, receiver),
                  FetchStatus::Failed);
        ByteBuffer whole{1, 2, 3};
        EXPECT_EQ(subject->fetcher().fetchWhole(server.url("/list"), whole, kLimit), 0u);
        EXPECT_TRUE(whole.empty());
    }
    server.on("/list", HttpResponse::raw("HTTP/1.1 200 OK\r\nContent-Length: 5, 5\r\n\r\nhello"));
    ContractReceiver repeated;
    EXPECT_EQ(subject->fetcher().fetch(server.url("/list"), kLimit, repeated),
              FetchStatus::Complete)
        << "one length stated twice alike frames the body";
    EXPECT_EQ(repeated.body, "hello");
}

// A head that trickles in passes every per-read and average-speed limit; its own bound
// ends the fetch within about a second of running out. A body that takes longer than the
// bound once its head is in is not cut by it.
TEST_P(HttpWireContract, AHeadThatIsNotInWithinItsBoundFailsAndABodyMayTakeLonger) {
    LoopbackHttpServer server;
    const auto subject = GetParam().make(FetchTimeouts{1500ms, 30s, 1024, 60s, 2s});
    server.on("/slow-head", HttpResponse::ok("list").slowHead(100));
    ContractReceiver late;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(subject->fetcher().fetch(server.url("/slow-head"), kLimit, late),
              FetchStatus::Failed);
    EXPECT_GE(secondsSince(start), 2.0);
    EXPECT_LT(secondsSince(start), 3.2);
    EXPECT_TRUE(late.body.empty());

    const std::string body = patternedBody(3000);
    server.on("/slow-body", HttpResponse::ok(body).thenTrickle(0, 1000, 1000));
    ContractReceiver slow;
    const auto bodyStart = std::chrono::steady_clock::now();
    EXPECT_EQ(subject->fetcher().fetch(server.url("/slow-body"), kLimit, slow),
              FetchStatus::Complete);
    EXPECT_GE(secondsSince(bodyStart), 2.5);
    EXPECT_TRUE(slow.body == body);
}

// A package may come from a company's caching proxy where an administrator allows it;
// every other request asks the caches on the way to pass it to the server.
TEST_P(HttpWireContract, OnlyAFetchThatAllowsCachesLeavesOutTheNoCacheHeaders) {
    LoopbackHttpServer server;
    const auto subject = GetParam().make(FetchTimeouts{});
    server.on("/package", HttpResponse::ok("package"));
    for (const CacheUse cache : {CacheUse::Bypass, CacheUse::Allow}) {
        ContractReceiver receiver;
        ASSERT_EQ(subject->fetcher().fetch(server.url("/package"), kLimit, receiver, cache),
                  FetchStatus::Complete);
        EXPECT_EQ(receiver.body, "package");
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Pragma"), "no-cache");
    EXPECT_EQ(requests[1].header("Pragma"), std::nullopt);
    EXPECT_EQ(requests[1].header("Cache-Control"), std::nullopt);
}

}  // namespace
}  // namespace velmora::test
