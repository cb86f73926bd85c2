#pragma once

#include <optional>
#include <string>

namespace velmora {

// The number a text holds when it is numeric: optional blanks, an optional sign, digits
// with an optional decimal point (at least one digit), an optional exponent, optional
// blanks. Anything else, the empty text included, is not numeric.
std::optional<double> parseNumericText(const std::string& text);

}  // namespace velmora
