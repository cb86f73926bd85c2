#pragma once

#include <string>

namespace velmora {

// A notice as the command line prints it: one line ending in a line feed. A report that
// spans lines (a hash-list failure quotes the whole list) still takes one line, so that
// scripts can read one notice per line: each line break becomes a space.
std::string noticeLine(const std::string& text);

}  // namespace velmora
