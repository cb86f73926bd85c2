#include <chrono>
#include <string>

#include "HttpFetcherContract.h"

namespace velmora::test {
namespace {

constexpr std::uint64_t kLimit = std::uint64_t{64} << 20;

std::string patterned(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>((i * 31 + i / 251) & 0xff);
    }
    return body;
}

TEST_P(HttpFetcherContract, TheWholeBodyArrivesInOrderWithOnlyTheLengthTheServerNamed) {
    const std::string body = patterned((1u << 20) + 7);
    for (const bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "announced" : "unannounced");
        const std::string url = subject->serve(announced ? "/a" : "/u", body, announced);
        ContractReceiver receiver;
        ASSERT_EQ(fetcher.fetch(url, kLimit, receiver), FetchStatus::Complete);
        EXPECT_TRUE(receiver.body == body);
        EXPECT_EQ(receiver.announced, announced ? std::vector<std::uint64_t>{body.size()}
                                                : std::vector<std::uint64_t>{});
        ByteBuffer whole;
        EXPECT_EQ(fetcher.fetchWhole(url, whole, kLimit), body.size());
        EXPECT_TRUE(std::string(whole.begin(), whole.end()) == body);
    }
}

TEST_P(HttpFetcherContract, AnEmptyBodyIsCompleteAndGivesZero) {
    const std::string url = subject->serve("/empty", "", true);
    ContractReceiver receiver;
    EXPECT_EQ(fetcher.fetch(url, kLimit, receiver), FetchStatus::Complete);
    EXPECT_TRUE(receiver.body.empty());
    ByteBuffer whole{1, 2, 3};
    EXPECT_EQ(fetcher.fetchWhole(url, whole, kLimit), 0u);
    EXPECT_TRUE(whole.empty());
}

TEST_P(HttpFetcherContract, ABodyCutShortFailsAndGivesNothingWhole) {
    const std::string body = patterned(200000);
    const std::string url = subject->serveCutShort("/cut", body, 40000);
    ContractReceiver receiver;
    EXPECT_EQ(fetcher.fetch(url, kLimit, receiver), FetchStatus::Failed);
    EXPECT_LE(receiver.body.size(), 40000u);
    ByteBuffer whole{1, 2, 3};
    EXPECT_EQ(fetcher.fetchWhole(url, whole, kLimit), 0u);
    EXPECT_TRUE(whole.empty());
}

// Refused before it is read when its length is announced, and once past the limit when
// it is not; a body of exactly the limit is whole.
TEST_P(HttpFetcherContract, ABodyLargerThanAllowedFails) {
    const std::string body = patterned(300000);
    ContractReceiver announced;
    EXPECT_EQ(fetcher.fetch(subject->serve("/a", body, true), 100000, announced),
              FetchStatus::Failed);
    EXPECT_EQ(announced.body.size(), 0u);

    ContractReceiver unannounced;
    EXPECT_EQ(fetcher.fetch(subject->serve("/u", body, false), 100000, unannounced),
              FetchStatus::Failed);
    EXPECT_LE(unannounced.body.size(), 100000u);

    ContractReceiver exact;
    EXPECT_EQ(fetcher.fetch(subject->serve("/e", body.substr(0, 100000), false), 100000, exact),
              FetchStatus::Complete);
    EXPECT_EQ(exact.body.size(), 100000u);
}

TEST_P(HttpFetcherContract, ARefusedPieceEndsTheTransferAsRefused) {
    ContractReceiver refusing;
    refusing.refuse = true;
    EXPECT_EQ(fetcher.fetch(subject->serve("/big", patterned(3u << 20), true), kLimit, refusing),
              FetchStatus::Refused);
    EXPECT_EQ(refusing.pieces, 1u);
}

TEST_P(HttpFetcherContract, NothingAnsweringFailsAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    ContractReceiver receiver;
    EXPECT_EQ(fetcher.fetch(subject->unreachableUrl(), kLimit, receiver), FetchStatus::Failed);
    EXPECT_TRUE(receiver.body.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_P(HttpFetcherContract, OnceCancelledEveryFetchIsCancelledAtOnce) {
    const std::string url = subject->serve("/list", "list", true);
    EXPECT_FALSE(fetcher.cancelled());
    fetcher.cancel();
    EXPECT_TRUE(fetcher.cancelled());
    ContractReceiver receiver;
    EXPECT_EQ(fetcher.fetch(url, kLimit, receiver), FetchStatus::Cancelled);
    EXPECT_TRUE(receiver.body.empty());
}

}  // namespace
}  // namespace velmora::test
