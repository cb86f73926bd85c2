#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "ports/HttpFetcher.h"

namespace velmora::test {

// One HTTP fetcher under test and what answers it: a real server for a real adapter, a
// table of answers for the fake.
class HttpFetcherSubject {
  public:
    virtual ~HttpFetcherSubject() = default;
    virtual HttpFetcher& fetcher() = 0;
    // Answers `path` with `body`, naming its length when `announced`; gives the URL.
    virtual std::string serve(const std::string& path, const std::string& body, bool announced) = 0;
    // Announces `body` whole, sends its first `sent` bytes and drops the connection.
    virtual std::string serveCutShort(const std::string& path, const std::string& body,
                                      std::size_t sent) = 0;
    // A URL that nothing answers.
    virtual std::string unreachableUrl() = 0;
};

struct HttpFetcherMaker {
    std::string name;
    std::function<std::unique_ptr<HttpFetcherSubject>()> make;
};

inline std::ostream& operator<<(std::ostream& out, const HttpFetcherMaker& maker) {
    return out << maker.name;
}

// Keeps what it is handed and what length was announced, and when.
class ContractReceiver final : public BodyReceiver {
  public:
    bool receive(std::span<const std::uint8_t> piece) override {
        ++pieces;
        if (refuse) {
            return false;
        }
        body.append(piece.begin(), piece.end());
        return true;
    }
    void expectLength(std::uint64_t length) override {
        EXPECT_EQ(pieces, 0u) << "announced before the body";
        announced.push_back(length);
    }

    std::string body;
    std::vector<std::uint64_t> announced;
    std::size_t pieces = 0;
    bool refuse = false;
};

// The behaviour every HTTP fetcher shows, the fake that the logic tests use included. A
// fetcher joins by instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, HttpFetcherContract, ::testing::Values(HttpFetcherMaker{...}));
class HttpFetcherContract : public ::testing::TestWithParam<HttpFetcherMaker> {
  protected:
    std::unique_ptr<HttpFetcherSubject> subject = GetParam().make();
    HttpFetcher& fetcher = subject->fetcher();
};

}  // namespace velmora::test
