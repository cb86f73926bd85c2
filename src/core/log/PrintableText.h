#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Text from outside (a server's answer) made safe to write to the log and a terminal: at
// most `limit` bytes of it, with every control character other than tab, LF and a CR that
// comes before an LF, and every byte that is not part of valid UTF-8, written as a visible
// escape such as "\x1b", so that no escape sequence, NUL or lone CR reaches either. A cut is marked
// with the number of bytes left out.
std::string printableExcerpt(std::string_view text, std::size_t limit);

}  // namespace velmora
