// Any bytes as a definitions version or package name: the display form is the placeholder
// exactly when the text is not 12 long, ignores the 9th character, and for decimal pieces
// shows the numbers they hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzCheck.h"
#include "update/DefinitionName.h"

namespace {

bool allDigits(const std::string& text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

bool allDashes(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 8 && text[i] != '-') {
            return false;
        }
    }
    return true;
}

int number(const std::string& text, std::size_t from, std::size_t count) {
    return std::stoi(text.substr(from, count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmora::fuzz::check;
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::string shown = velmora::formatDefinitionName(name);
    if (name.size() != 12) {
        check(shown == velmora::kNoDefinitionName, "any other length shows the placeholder");
        return 0;
    }
    std::string dashed = name;
    dashed[8] = '-';
    check(velmora::formatDefinitionName(dashed) == shown, "the 9th character is not looked at");
    if (allDigits(name, 0, 8) && allDigits(name, 9, 3)) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%d/%d/%d rev. %d", number(name, 0, 4),
                      number(name, 4, 2), number(name, 6, 2), number(name, 9, 3));
        check(shown == expected, "decimal pieces show their numbers without leading zeros");
    } else if (!allDashes(name)) {
        // Non-decimal pieces are shown as they stand, so only a name made of dashes looks
        // like the placeholder.
        check(shown != velmora::kNoDefinitionName, "a loose 12-character name is still shown");
    }
    return 0;
}
