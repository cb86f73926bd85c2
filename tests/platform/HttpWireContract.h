#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ports/FetchTimeouts.h"
#include "ports/HttpFetcher.h"

namespace velmora::test {

// A real HTTP adapter with the time-outs a case asks for, and with the machine's proxy
// settings put aside for as long as it lives, so that it talks to the server on 127.0.0.1.
class HttpWireSubject {
  public:
    virtual ~HttpWireSubject() = default;
    virtual HttpFetcher& fetcher() = 0;
};

struct HttpWireMaker {
    std::string name;
    std::function<std::unique_ptr<HttpWireSubject>(const FetchTimeouts&)> make;
};

inline std::ostream& operator<<(std::ostream& out, const HttpWireMaker& maker) {
    return out << maker.name;
}

// What every real HTTP adapter makes of what a server sends on the wire: framing that does
// not tell where the body ends, and a head that does not come. The fake has no wire; it
// keeps HttpFetcherContract. An adapter joins by instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, HttpWireContract, ::testing::Values(HttpWireMaker{...}));
class HttpWireContract : public ::testing::TestWithParam<HttpWireMaker> {};

}  // namespace velmora::test
