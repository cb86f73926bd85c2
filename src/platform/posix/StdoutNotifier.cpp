#include "platform/posix/StdoutNotifier.h"

#include <iostream>

namespace velmora {

namespace {

// A report that spans lines (a hash-list failure quotes the whole list) still takes one
// line, so that scripts can read one notice per line: each line break becomes a space.
std::string asOneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

}  // namespace

void StdoutNotifier::showNotice(const std::string& text) {
    std::cout << asOneLine(text) << std::endl;
}

}  // namespace velmora
