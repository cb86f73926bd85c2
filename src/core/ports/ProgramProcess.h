#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class StandardStream { Output, Error };

// How this operating system starts and speaks for the program's process; defined by its
// platform target.

// Readies the process before anything else of the program runs.
void prepareProcess();

// The arguments the program was started with, in UTF-8, without its own name.
std::vector<std::string> programArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error. False when the stream is missing or
// broken; the text is then lost, nothing more.
bool writeStandardText(StandardStream stream, const std::string& text);

}  // namespace velmora
