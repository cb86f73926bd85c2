#pragma once

#include <string>

namespace velmora {

enum class StandardStream { Output, Error };

// Writes UTF-8 text to standard output or standard error: as characters to a console, so
// that Japanese shows whatever the console's code page, and as UTF-8 bytes to a file or a
// pipe. False when the stream is missing or broken; the text is then lost, nothing more.
bool writeStandardText(StandardStream stream, const std::string& text);

}  // namespace velmora
