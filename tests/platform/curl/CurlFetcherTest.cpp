#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <new>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "HttpFetcherContract.h"
#include "HttpWireContract.h"
#include "curl/CurlFetcher.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnv.h"

namespace velmora {

namespace test {
namespace {

// The machine's proxy settings must not steer requests to 127.0.0.1.
struct NoProxyFromTheEnvironment {
    ScopedEnv httpProxy{"http_proxy", std::nullopt};
    ScopedEnv httpProxyUpper{"HTTP_PROXY", std::nullopt};
    ScopedEnv allProxy{"all_proxy", std::nullopt};
    ScopedEnv allProxyUpper{"ALL_PROXY", std::nullopt};
};

// CurlFetcher against a server on 127.0.0.1.
class CurlFetcherSubject final : public HttpFetcherSubject {
  public:
    HttpFetcher& fetcher() override { return fetcher_; }
    std::string serve(const std::string& path, const std::string& body, bool announced) override {
        server_.on(path,
                   announced ? HttpResponse::ok(body) : HttpResponse::ok(body).withoutLength());
        return server_.url(path);
    }
    std::string serveCutShort(const std::string& path, const std::string& body,
                              std::size_t sent) override {
        server_.on(path, HttpResponse::ok(body).thenReset(sent));
        return server_.url(path);
    }
    std::string unreachableUrl() override {
        return "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "/hash.txt";
    }

  private:
    NoProxyFromTheEnvironment noProxy_;
    LoopbackHttpServer server_;
    CurlFetcher fetcher_{FetchTimeouts{std::chrono::milliseconds(1500), std::chrono::seconds(2)}};
};

INSTANTIATE_TEST_SUITE_P(Curl, HttpFetcherContract,
                         ::testing::Values(HttpFetcherMaker{
                             "Curl", [] { return std::make_unique<CurlFetcherSubject>(); }}));

class CurlWireSubject final : public HttpWireSubject {
  public:
    explicit CurlWireSubject(const FetchTimeouts& timeouts) : fetcher_(timeouts) {}
    HttpFetcher& fetcher() override { return fetcher_; }

  private:
    NoProxyFromTheEnvironment noProxy_;
    CurlFetcher fetcher_;
};

INSTANTIATE_TEST_SUITE_P(Curl, HttpWireContract,
                         ::testing::Values(HttpWireMaker{
                             "Curl", [](const FetchTimeouts& timeouts) {
                                 return std::make_unique<CurlWireSubject>(timeouts);
                             }}));

}  // namespace
}  // namespace test

namespace {

using namespace std::chrono_literals;
using test::HttpResponse;
using test::patternedBody;

const ByteBuffer kUntouched{0xde, 0xad, 0xbe, 0xef};
constexpr std::size_t kLimit = std::size_t{64} << 20;

// Keeps what it is handed, and can stand for a receiver that runs out of memory.
class RecordingReceiver final : public BodyReceiver {
  public:
    bool receive(std::span<const std::uint8_t> piece) override {
        if (outOfMemory) {
            throw std::bad_alloc();
        }
        body.append(piece.begin(), piece.end());
        ++pieces;
        return true;
    }
    void expectLength(std::uint64_t length) override {
        EXPECT_EQ(pieces, 0u) << "announced before the body";
        announced.push_back(length);
    }
    std::string body;
    std::vector<std::uint64_t> announced;
    std::size_t pieces = 0;
    bool outOfMemory = false;
};

std::string asText(const ByteBuffer& buffer) {
    return std::string(buffer.begin(), buffer.end());
}

class CurlFetcherTest : public ::testing::Test {
  protected:
    // The machine's own proxy settings must not steer these loopback requests.
    test::ScopedEnv httpProxy{"http_proxy", std::nullopt};
    test::ScopedEnv httpProxyUpper{"HTTP_PROXY", std::nullopt};
    test::ScopedEnv allProxy{"all_proxy", std::nullopt};
    test::ScopedEnv allProxyUpper{"ALL_PROXY", std::nullopt};
    test::ScopedEnv noProxy{"no_proxy", std::nullopt};
    test::ScopedEnv noProxyUpper{"NO_PROXY", std::nullopt};

    test::LoopbackHttpServer server;
    // Short time-outs keep the fault cases quick; the real figures have their own test.
    CurlFetcher fetcher{FetchTimeouts{1500ms, 2s}};
    ByteBuffer buffer = kUntouched;

    std::size_t fetch(const std::string& url) { return fetcher.fetchWhole(url, buffer, kLimit); }

    static double secondsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

TEST_F(CurlFetcherTest, EmptyUrlGivesZeroWithoutTouchingTheBuffer) {
    EXPECT_EQ(fetch(""), 0u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(CurlFetcherTest, BodiesComeBackExactlySizedByteForByte) {
    for (const std::size_t size :
         {std::size_t{1}, std::size_t{1023}, std::size_t{1024}, std::size_t{32766},
          std::size_t{32767}, std::size_t{32768}, std::size_t{65535}, std::size_t{6u << 20}}) {
        SCOPED_TRACE(size);
        const std::string body = patternedBody(size);
        server.on("/sized", HttpResponse::ok(body));
        buffer = kUntouched;
        ASSERT_EQ(fetch(server.url("/sized")), size);
        ASSERT_EQ(buffer.size(), size);
        EXPECT_TRUE(asText(buffer) == body);
    }
}

TEST_F(CurlFetcherTest, RequestIsAPlainGetWithAgentAndCacheBypass) {
    server.on("/hash.txt", HttpResponse::ok("list"));
    ASSERT_EQ(fetch(server.url("/hash.txt")), 4u);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/hash.txt");
    EXPECT_EQ(requests[0].header("User-Agent"), "wininet");
    EXPECT_EQ(requests[0].header("Cache-Control"), "no-cache");
    EXPECT_EQ(requests[0].header("Pragma"), "no-cache");
    EXPECT_EQ(requests[0].header("Accept-Encoding"), std::nullopt);
}

TEST_F(CurlFetcherTest, ErrorPageIsDataLikeAnyOtherBody) {
    const std::string page = "<html><body>no such package</body></html>";
    server.on("/missing.exe", HttpResponse::status(404, page));
    ASSERT_EQ(fetch(server.url("/missing.exe")), page.size());
    EXPECT_EQ(asText(buffer), page);

    server.on("/broken", HttpResponse::status(500, "oops"));
    EXPECT_EQ(fetch(server.url("/broken")), 4u);
    EXPECT_EQ(asText(buffer), "oops");
}

TEST_F(CurlFetcherTest, RedirectChainIsFollowedToTheBody) {
    server.on("/a", HttpResponse::redirect(301, server.url("/b")));
    server.on("/b", HttpResponse::redirect(302, "/c"));
    server.on("/c", HttpResponse::redirect(307, server.url("/final")));
    server.on("/final", HttpResponse::ok("arrived"));
    ASSERT_EQ(fetch(server.url("/a")), 7u);
    EXPECT_EQ(asText(buffer), "arrived");
    std::vector<std::string> paths;
    for (const auto& request : server.requests()) {
        paths.push_back(request.target);
        EXPECT_EQ(request.header("User-Agent"), "wininet");
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/a", "/b", "/c", "/final"}));
}

TEST_F(CurlFetcherTest, RedirectLoopGivesZeroAfterBoundedHops) {
    server.on("/loop", HttpResponse::redirect(302, "/loop"));
    EXPECT_EQ(fetch(server.url("/loop")), 0u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_GT(server.requests().size(), 2u);
    EXPECT_LE(server.requests().size(), 12u);
}

// libcurl checks a chunked body's framing itself, so a whole one is a body on Linux, chunk
// extensions and trailer fields included.
TEST_F(CurlFetcherTest, AWholeChunkedBodyIsComplete) {
    server.on("/list", HttpResponse::raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                         "5;name=x\r\nhello\r\n6\r\n world\r\n0\r\n"
                                         "Trailer-Field: y\r\n\r\n"));
    ASSERT_EQ(fetch(server.url("/list")), 11u);
    EXPECT_EQ(asText(buffer), "hello world");
}

TEST_F(CurlFetcherTest, RedirectOutsideHttpIsNotFollowed) {
    server.on("/to-file", HttpResponse::redirect(302, "file:///etc/passwd"));
    EXPECT_EQ(fetch(server.url("/to-file")), 0u);
    EXPECT_TRUE(buffer.empty());
}

// Only a body that arrived whole is a body: a part is as good as nothing, whatever cut it
// off, and however long it took to find out.
TEST_F(CurlFetcherTest, ABodyThatDoesNotArriveWholeIsAFailure) {
    const std::string body = patternedBody(200000);
    CurlFetcher flooredFetcher{FetchTimeouts{1500ms, 2s, 4096, 2s}};
    struct Case {
        std::string name;
        HttpResponse response;
        double atLeastSeconds;
    };
    const std::vector<Case> cases{
        {"reset part-way", HttpResponse::ok(body).thenReset(40000), 0},
        {"stalled part-way", HttpResponse::ok(body).thenStall(70000), 1.5},
        // 1,000 bytes a second, below the floor of 4,096 averaged over 2 s.
        {"trickling below the speed floor", HttpResponse::ok(body).thenTrickle(100, 100, 100), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.on("/cut", c.response);
        RecordingReceiver receiver;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(flooredFetcher.fetch(server.url("/cut"), kLimit, receiver), FetchStatus::Failed);
        EXPECT_GE(secondsSince(start), c.atLeastSeconds);
        EXPECT_LT(secondsSince(start), c.atLeastSeconds + 4.0);
        buffer = kUntouched;
        EXPECT_EQ(flooredFetcher.fetchWhole(server.url("/cut"), buffer, kLimit), 0u);
        EXPECT_TRUE(buffer.empty());
    }
}

// The receiver is how a package reaches its file and its digest: after redirects whose own
// bodies are dropped it gets only the final body and the final response's length, and its
// running out of memory reaches the caller instead of ending the program inside libcurl.
// Whole bodies, announced or not, and a refusal are HttpFetcherContract's.
TEST_F(CurlFetcherTest, AfterARedirectTheReceiverGetsOnlyTheFinalBodyAndItsLength) {
    server.on("/moved", HttpResponse::redirect(302, "/final"));
    server.on("/final", HttpResponse::ok("arrived"));
    RecordingReceiver receiver;
    ASSERT_EQ(fetcher.fetch(server.url("/moved"), kLimit, receiver), FetchStatus::Complete);
    EXPECT_EQ(receiver.body, "arrived");
    EXPECT_EQ(receiver.announced, std::vector<std::uint64_t>{7});

    server.on("/big", HttpResponse::ok(patternedBody(1u << 20)));
    RecordingReceiver starved;
    starved.outOfMemory = true;
    EXPECT_THROW(fetcher.fetch(server.url("/big"), kLimit, starved), std::bad_alloc);
}

// The program ends while a server trickles: the transfer stops within about a second, and
// nothing more is fetched.
TEST_F(CurlFetcherTest, ACancelFromAnotherThreadEndsATrickleWithinASecond) {
    server.on("/trickle", HttpResponse::ok(patternedBody(100000)).thenTrickle(10, 2, 1000));
    RecordingReceiver receiver;
    std::chrono::steady_clock::time_point cancelledAt;
    std::thread canceller([&] {
        std::this_thread::sleep_for(500ms);
        cancelledAt = std::chrono::steady_clock::now();
        fetcher.cancel();
    });
    const FetchStatus status = fetcher.fetch(server.url("/trickle"), kLimit, receiver);
    canceller.join();
    EXPECT_EQ(status, FetchStatus::Cancelled);
    EXPECT_LT(secondsSince(cancelledAt), 1.2);
    EXPECT_TRUE(fetcher.cancelled());

    server.on("/hash.txt", HttpResponse::ok("list"));
    const std::size_t before = server.connectionCount();
    EXPECT_EQ(fetcher.fetch(server.url("/hash.txt"), kLimit, receiver), FetchStatus::Cancelled);
    EXPECT_EQ(server.connectionCount(), before);
}

TEST_F(CurlFetcherTest, ServerThatNeverAnswersGivesZeroAfterTheReceiveTimeout) {
    server.on("/silent", HttpResponse::silence());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(server.url("/silent")), 0u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_GE(secondsSince(start), 1.5);
    EXPECT_LT(secondsSince(start), 6.0);
}

TEST_F(CurlFetcherTest, AnnouncedLengthShorterThanTheBodyIsTheBody) {
    // The announced length is the body, the rest is not HTTP.
    const std::string longBody = patternedBody(3u << 20);
    server.on("/long", HttpResponse::ok(longBody).declaredLength(1000));
    ASSERT_EQ(fetch(server.url("/long")), 1000u);
    EXPECT_TRUE(asText(buffer) == longBody.substr(0, 1000));
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t sizePages = 0;
    std::size_t residentPages = 0;
    statm >> sizePages >> residentPages;
    return residentPages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

TEST_F(CurlFetcherTest, AnnouncedLengthIsNotCommittedAheadOfTheData) {
    const std::string body = patternedBody(3u << 20);
    server.on("/huge-claim", HttpResponse::ok(body).declaredLength(std::size_t{1} << 30));
    const std::size_t before = residentBytes();
    RecordingReceiver receiver;
    EXPECT_EQ(fetcher.fetch(server.url("/huge-claim"), std::uint64_t{2} << 30, receiver),
              FetchStatus::Failed);
    EXPECT_LT(residentBytes() - before, std::size_t{64} << 20);
    EXPECT_TRUE(receiver.body == body);
}

TEST_F(CurlFetcherTest, PeerThatAcceptsNoConnectionGivesZeroAfterTheConnectTimeout) {
    test::UnansweringPeer peer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(peer.url("/hash.txt")), 0u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_GE(secondsSince(start), 1.4);
    EXPECT_LT(secondsSince(start), 10.0);
}

TEST_F(CurlFetcherTest, MalformedOrForeignUrlsGiveZeroWithoutTouchingTheBuffer) {
    const std::vector<std::string> urls = {"http://127.0.0.1:99999/x", "http://[127.0.0.1/x", "://",
                                           "file:///etc/passwd",
                                           "ftp://" + server.authority() + "/x"};
    for (const std::string& url : urls) {
        SCOPED_TRACE(url);
        EXPECT_EQ(fetch(url), 0u);
        EXPECT_TRUE(buffer.empty());
    }
    EXPECT_EQ(server.connectionCount(), 0u);
}

class CurlFetcherProxyTest : public CurlFetcherTest {
  protected:
    // Nobody listens at the origin: only a proxy can answer for it.
    std::string origin = "127.0.0.1:" + std::to_string(test::closedLoopbackPort());
    std::string packageUrl = "http://" + origin + "/defs/package.exe";

    void SetUp() override { server.on("/defs/package.exe", HttpResponse::ok("via proxy")); }
};

TEST_F(CurlFetcherProxyTest, TheEnvironmentsProxyCarriesTheRequest) {
    const test::ScopedEnv proxy("http_proxy", server.url(""));
    ASSERT_EQ(fetch(packageUrl), 9u);
    EXPECT_EQ(asText(buffer), "via proxy");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, packageUrl);
}

TEST_F(CurlFetcherProxyTest, NoProxyListBypassesTheEnvironmentProxy) {
    const test::ScopedEnv proxy("http_proxy", server.url(""));
    const test::ScopedEnv bypass("no_proxy", "127.0.0.1");
    server.on("/direct", HttpResponse::ok("direct"));

    ASSERT_EQ(fetch(server.url("/direct")), 6u);
    EXPECT_EQ(server.requests().back().target, "/direct");
}

}  // namespace
}  // namespace velmora
