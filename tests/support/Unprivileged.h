#pragma once

#include <filesystem>
#include <functional>

namespace velmora::test {

// Runs the function in a forked child that has given up root (as user and group "nobody")
// when the tests run as root, so that permission bits are enforced as for a normal user.
// Returns the child's exit status, or -1 when it did not exit normally. The function must
// report through its return value: assertions made in the child are lost.
int runUnprivileged(const std::function<int()>& body);

// Lets the unprivileged child reach a folder made by the test: gives everyone search and
// write rights on it and read rights on its files.
void openToEveryone(const std::filesystem::path& folder);

}  // namespace velmora::test
