#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "platform/net/CurlFetcher.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnv.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using test::HttpResponse;
using test::patternedBody;

const ByteBuffer kUntouched{0xde, 0xad, 0xbe, 0xef};

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

    std::size_t fetch(const std::string& url, const std::string& proxy = "") {
        return fetcher.InternetGetFile(url, buffer, proxy);
    }

    static double secondsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

TEST_F(CurlFetcherTest, EmptyUrlGivesZeroWithoutTouchingTheBuffer) {
    EXPECT_EQ(fetch(""), 0u);
    EXPECT_EQ(buffer, kUntouched);
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

TEST_F(CurlFetcherTest, BodyWithoutAnnouncedLengthGrowsToItsEnd) {
    const std::string body = patternedBody((5u << 20) + 7);
    server.on("/stream", HttpResponse::ok(body).withoutLength());
    ASSERT_EQ(fetch(server.url("/stream")), body.size());
    EXPECT_TRUE(asText(buffer) == body);
}

TEST_F(CurlFetcherTest, EmptyBodyGivesZeroAndEmptiesTheBuffer) {
    server.on("/empty", HttpResponse::ok(""));
    EXPECT_EQ(fetch(server.url("/empty")), 0u);
    EXPECT_TRUE(buffer.empty());
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
    EXPECT_EQ(buffer, kUntouched);
    EXPECT_GT(server.requests().size(), 2u);
    EXPECT_LE(server.requests().size(), 12u);
}

TEST_F(CurlFetcherTest, RedirectOutsideHttpIsNotFollowed) {
    server.on("/to-file", HttpResponse::redirect(302, "file:///etc/passwd"));
    EXPECT_EQ(fetch(server.url("/to-file")), 0u);
    EXPECT_EQ(buffer, kUntouched);
}

TEST_F(CurlFetcherTest, StallAfterPartOfTheBodyReturnsThePart) {
    server.on("/stall", HttpResponse::ok(patternedBody(200000)).thenStall(70000));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(fetch(server.url("/stall")), 70000u);
    EXPECT_TRUE(asText(buffer) == patternedBody(70000));
    EXPECT_GE(secondsSince(start), 1.5);
    EXPECT_LT(secondsSince(start), 6.0);
}

TEST_F(CurlFetcherTest, ResetAfterPartOfTheBodyReturnsThePart) {
    server.on("/reset", HttpResponse::ok(patternedBody(100000)).thenReset(40000));
    ASSERT_EQ(fetch(server.url("/reset")), 40000u);
    EXPECT_TRUE(asText(buffer) == patternedBody(40000));
}

TEST_F(CurlFetcherTest, ResetBeforeAnyBodyByteEmptiesTheBuffer) {
    server.on("/head-only", HttpResponse::ok("never sent").thenReset(0));
    EXPECT_EQ(fetch(server.url("/head-only")), 0u);
    EXPECT_TRUE(buffer.empty());
}

// The observer is how a digest keeps pace with a download: what it is told must be exactly
// the bytes that end in the buffer, whether the length was announced or not, after
// redirects whose own bodies are dropped, and when the transfer breaks part-way.
TEST_F(CurlFetcherTest, ObserverIsToldExactlyTheBytesThatReachTheBuffer) {
    const std::string big = patternedBody((6u << 20) + 5);
    server.on("/big", HttpResponse::ok(big));
    server.on("/unannounced", HttpResponse::ok(big).withoutLength());
    server.on("/moved", HttpResponse::redirect(302, "/final"));
    server.on("/final", HttpResponse::ok("arrived"));
    server.on("/broken", HttpResponse::ok(patternedBody(100000)).thenReset(40000));
    for (const std::string path : {"/big", "/unannounced", "/moved", "/broken"}) {
        SCOPED_TRACE(path);
        std::string told;
        std::size_t pieces = 0;
        const std::size_t count =
            fetcher.InternetGetFile(server.url(path), buffer, "", [&](auto piece) {
                told.append(piece.begin(), piece.end());
                ++pieces;
            });
        ASSERT_GT(count, 0u);
        EXPECT_EQ(told.size(), count);
        EXPECT_TRUE(told == asText(buffer));
        EXPECT_GE(pieces, 1u);
    }
    EXPECT_EQ(buffer.size(), 40000u);
}

TEST_F(CurlFetcherTest, ServerThatNeverAnswersGivesZeroAfterTheReceiveTimeout) {
    server.on("/silent", HttpResponse::silence());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(server.url("/silent")), 0u);
    EXPECT_EQ(buffer, kUntouched);
    EXPECT_GE(secondsSince(start), 1.5);
    EXPECT_LT(secondsSince(start), 6.0);
}

TEST_F(CurlFetcherTest, AnnouncedLengthThatLiesEitherWay) {
    // Far shorter than announced: the connection closes early, the part is kept.
    const std::string shortBody = patternedBody(100000);
    server.on("/short", HttpResponse::ok(shortBody).declaredLength(50u << 20));
    ASSERT_EQ(fetch(server.url("/short")), shortBody.size());
    EXPECT_TRUE(asText(buffer) == shortBody);

    // Far longer than announced: the announced length is the body, the rest is not HTTP.
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
    ASSERT_EQ(fetch(server.url("/huge-claim")), body.size());
    EXPECT_LT(residentBytes() - before, std::size_t{64} << 20);
    EXPECT_TRUE(asText(buffer) == body);
}

TEST_F(CurlFetcherTest, PortWithNobodyListeningGivesZeroAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    const std::string url =
        "http://127.0.0.1:" + std::to_string(test::closedLoopbackPort()) + "/hash.txt";
    EXPECT_EQ(fetch(url), 0u);
    EXPECT_EQ(buffer, kUntouched);
    EXPECT_LT(secondsSince(start), 1.0);
}

TEST_F(CurlFetcherTest, PeerThatAcceptsNoConnectionGivesZeroAfterTheConnectTimeout) {
    test::UnansweringPeer peer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(peer.url("/hash.txt")), 0u);
    EXPECT_EQ(buffer, kUntouched);
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
        EXPECT_EQ(buffer, kUntouched);
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

TEST_F(CurlFetcherProxyTest, ExplicitProxyCarriesTheRequest) {
    ASSERT_EQ(fetch(packageUrl, server.authority()), 9u);
    EXPECT_EQ(asText(buffer), "via proxy");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, packageUrl);
    EXPECT_EQ(requests[0].header("User-Agent"), "wininet");
    EXPECT_EQ(requests[0].header("Cache-Control"), "no-cache");
}

TEST_F(CurlFetcherProxyTest, EnvironmentProxyServesWhenNoneIsGiven) {
    const test::ScopedEnv proxy("http_proxy", server.url(""));
    ASSERT_EQ(fetch(packageUrl), 9u);
    EXPECT_EQ(asText(buffer), "via proxy");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, packageUrl);
}

TEST_F(CurlFetcherProxyTest, NoProxyListBypassesOnlyTheEnvironmentProxy) {
    const test::ScopedEnv proxy("http_proxy", server.url(""));
    const test::ScopedEnv bypass("no_proxy", "127.0.0.1");
    server.on("/direct", HttpResponse::ok("direct"));

    ASSERT_EQ(fetch(server.url("/direct")), 6u);
    EXPECT_EQ(server.requests().back().target, "/direct");

    ASSERT_EQ(fetch(packageUrl, server.authority()), 9u);
    EXPECT_EQ(server.requests().back().target, packageUrl);
}

}  // namespace
}  // namespace velmora
