#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// The number a text holds when it is numeric: optional blanks, an optional sign, digits
// with an optional decimal point (at least one digit), an optional exponent, optional
// blanks. Anything else, the empty text included, is not numeric.
std::optional<double> parseNumericText(const std::string& text);

// The nearest 16-bit integer, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4);
// nothing when that lies outside -32768..32767 or the number is not finite.
std::optional<std::int16_t> roundToInt16(double number);

}  // namespace velmora
