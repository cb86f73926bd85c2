// The settings getters' conversion: any bytes as a stored text, and any 8 bytes as a number
// to round. A numeric text reads as the number strtod finds in it, nothing else reads as a
// number, and rounding gives the nearest 16-bit integer with halves to even.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "settings/NumericText.h"

namespace {

using velmora::fuzz::check;

constexpr std::string_view kNumberCharacters = " \t+-.0123456789eE";

void checkRounding(double number) {
    const auto rounded = velmora::roundToInt16(number);
    if (!std::isfinite(number)) {
        check(!rounded, "no integer for a number that is not finite");
        return;
    }
    const double nearest = std::nearbyint(number);  // default mode: to nearest, ties to even
    const bool fits = nearest >= -32768.0 && nearest <= 32767.0;
    check(rounded.has_value() == fits, "an integer exactly when the nearest one fits 16 bits");
    if (rounded) {
        check(*rounded == nearest, "the nearest integer, halves to even");
    }
}

// Whether strtod reads the whole text as one finite number that neither overflows nor
// underflows.
bool strtodReadsWhole(const std::string& text, double& value) {
    if (text.find_first_not_of(kNumberCharacters) != std::string::npos) {
        return false;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    if (end == begin) {
        return false;
    }
    const char* last = begin + text.size();
    while (end < last && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    return end == last && errno == 0 && std::isfinite(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = velmora::parseNumericText(text);
    double expected = 0;
    const bool numeric = strtodReadsWhole(text, expected);
    if (parsed) {
        check(std::isfinite(*parsed), "only finite numbers");
        check(text.find_first_not_of(kNumberCharacters) == std::string::npos,
              "no other characters in a numeric text");
        check(numeric, "strtod reads the whole text as well");
        check(*parsed == expected, "the same number strtod reads");
        checkRounding(*parsed);
    } else {
        check(!numeric, "a text strtod reads whole is numeric");
    }
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        checkRounding(number);
    }
    return 0;
}
