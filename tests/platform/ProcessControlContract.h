#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ports/PackageFile.h"
#include "ports/ProcessControl.h"
#include "support/PackageStarts.h"

namespace velmora::test {

// One process control under test, built on the platform's own wait with an end request,
// and the means to make packages for it and to look at what they did.
class ProcessControlSubject {
  public:
    virtual ~ProcessControlSubject() = default;
    virtual ProcessControl& processes() = 0;
    // A saved package that writes its arguments, one a line, to `record`, stays for
    // `linger`, then appends the line "done" to `record` and ends.
    virtual std::unique_ptr<SavedPackage> saveRecordingPackage(
        const std::filesystem::path& record, std::chrono::milliseconds linger) = 0;
    // A saved package whose bytes are not a program.
    virtual std::unique_ptr<SavedPackage> saveNonProgram() = 0;
    // A saved package that holds no open file.
    virtual std::unique_ptr<SavedPackage> unopenedPackage() = 0;
    // Signals the end request the wait watches, as the end of the session would.
    virtual void requestEnd() = 0;
    virtual bool isRunning(std::int32_t processId) = 0;
    // Ends a package a test left running.
    virtual void kill(std::int32_t processId) = 0;
    // What the program has logged so far.
    virtual std::string logText() = 0;
    // A temporary folder for the packages' records.
    virtual const std::filesystem::path& folder() const = 0;
};

struct ProcessControlMaker {
    std::string name;
    std::function<std::unique_ptr<ProcessControlSubject>()> make;
};

inline std::ostream& operator<<(std::ostream& out, const ProcessControlMaker& maker) {
    return out << maker.name;
}

// How every platform starts the package and waits for it. A process control joins with
//   INSTANTIATE_TEST_SUITE_P(Name, ProcessControlContract,
//   ::testing::Values(ProcessControlMaker{...}));
class ProcessControlContract : public ::testing::TestWithParam<ProcessControlMaker> {
  protected:
    std::unique_ptr<ProcessControlSubject> subject = GetParam().make();
    ProcessControl& processes = subject->processes();
    std::string error;
};

}  // namespace velmora::test
