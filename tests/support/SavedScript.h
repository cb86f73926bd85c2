#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "linux/PosixPackageFile.h"

namespace velmora::test {

// Saves a shell script under `name` in the working directory as the update run saves a
// package, ready to be started.
inline std::unique_ptr<SavedPackage> saveScript(const std::string& name, const std::string& body) {
    PosixPackageFile files;
    std::string error;
    std::unique_ptr<PackageWriter> writer = files.create(name, error);
    const std::string text = "#!/bin/sh\n" + body + "\n";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!writer || !writer->append(bytes, error)) {
        throw std::runtime_error("cannot write " + name + ": " + error);
    }
    std::unique_ptr<SavedPackage> saved = writer->finish(error);
    if (!saved) {
        throw std::runtime_error("cannot keep " + name + ": " + error);
    }
    return saved;
}

}  // namespace velmora::test
