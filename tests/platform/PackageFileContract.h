#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "ports/PackageFile.h"

namespace velmora::test {

// One package file store under test and a way to look at it from outside.
class PackageFileSubject {
  public:
    virtual ~PackageFileSubject() = default;
    virtual PackageFile& files() = 0;
    // Puts a file under `name` where kept packages are found, by other means, as an earlier
    // run or another program would.
    virtual void plant(const std::string& name, const std::string& contents) = 0;
    // What is kept under `name` where kept packages are found, or nothing.
    virtual std::optional<std::string> contentsOf(const std::string& name) = 0;
    // How many files the store has left anywhere, kept packages and planted files included.
    virtual std::size_t filesLeft() = 0;
};

struct PackageFileMaker {
    std::string name;
    std::function<std::unique_ptr<PackageFileSubject>()> make;
};

inline std::ostream& operator<<(std::ostream& out, const PackageFileMaker& maker) {
    return out << maker.name;
}

// The behaviour every package file store shows, the fake that the logic tests use
// included. A store joins by instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, PackageFileContract, ::testing::Values(PackageFileMaker{...}));
class PackageFileContract : public ::testing::TestWithParam<PackageFileMaker> {
  protected:
    std::unique_ptr<PackageFileSubject> subject = GetParam().make();
    PackageFile& files = subject->files();
    std::string error;
};

}  // namespace velmora::test
