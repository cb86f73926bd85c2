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

enum class StrtodReading { Whole, Underflow, Not };

// How strtod reads the text: one finite number filling it (blanks aside), such a number
// too small for a normal double (rounded or flushed to zero), or anything else.
StrtodReading readWithStrtod(const std::string& text, double& value) {
    if (text.find_first_not_of(kNumberCharacters) != std::string::npos) {
        return StrtodReading::Not;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    if (end == begin) {
        return StrtodReading::Not;
    }
    const char* last = begin + text.size();
    while (end < last && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (end != last || !std::isfinite(value)) {
        return StrtodReading::Not;
    }
    if (errno == ERANGE) {
        return std::abs(value) < 1.0 ? StrtodReading::Underflow : StrtodReading::Not;
    }
    return StrtodReading::Whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = velmora::parseNumericText(text);
    double expected = 0;
    const StrtodReading reading = readWithStrtod(text, expected);
    if (parsed) {
        check(std::isfinite(*parsed), "only finite numbers");
        check(text.find_first_not_of(kNumberCharacters) == std::string::npos,
              "no other characters in a numeric text");
        check(reading != StrtodReading::Not, "strtod reads the whole text as well");
        check(*parsed == expected, "the same number strtod reads");
        checkRounding(*parsed);
    } else {
        // Below the normal range the two may part (a number that underflows to zero may
        // read as not numeric); every reading of it rounds to 0, the default of the flags,
        // and the interval's minimum wins over either.
        check(reading != StrtodReading::Whole, "a text strtod reads whole is numeric");
    }
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        checkRounding(number);
    }
    return 0;
}
