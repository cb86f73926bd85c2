#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ports/FetchTimeouts.h"
#include "ports/HttpFetcher.h"

namespace velmora::test {

// A real HTTP adapter with the time-outs a case asks for, the machine's proxy settings put
// aside while it lives.
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

// What every real HTTP adapter makes of what a server sends on the wire (the fake has none):
// framing that does not tell where the body ends, a head that does not come. An adapter
// joins with INSTANTIATE_TEST_SUITE_P(Name, HttpWireContract, ::testing::Values(...)).
class HttpWireContract : public ::testing::TestWithParam<HttpWireMaker> {};

}  // namespace velmora::test
