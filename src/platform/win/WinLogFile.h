#pragma once

#include <filesystem>
#include <string>

namespace velmora {

// Appends one line to a log file, opened and closed for the line: only a regular file on
// a disk is used, never what a reparse point (a link, a junction) under the name leads to;
// a line that does not fit whole is cut off again. False when the line is not there whole,
// so that it goes to the next destination.
bool appendToLogFile(const std::filesystem::path& file, const std::string& line);

}  // namespace velmora
