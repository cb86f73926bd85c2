#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ports/DigestLibrary.h"

namespace velmora::test {

struct DigestLibraryMaker {
    std::string name;
    std::function<std::unique_ptr<DigestLibrary>()> make;
};

inline std::ostream& operator<<(std::ostream& out, const DigestLibraryMaker& maker) {
    return out << maker.name;
}

// What every MD5 digest library gives: RFC 1321's digests, however the input is split. A
// library joins by instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, DigestContract, ::testing::Values(DigestLibraryMaker{...}));
class DigestContract : public ::testing::TestWithParam<DigestLibraryMaker> {
  protected:
    std::unique_ptr<DigestLibrary> library = GetParam().make();
};

}  // namespace velmora::test
