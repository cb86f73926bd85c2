#include "settings/NumericText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> parseNumericText(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    // from_chars takes no sign of its own and, in general format, neither "inf" nor
    // hexadecimal unless asked; a leading letter is rejected here before it gets there.
    if (begin == end ||
        !(std::isdigit(static_cast<unsigned char>(text[begin])) != 0 || text[begin] == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, value);
    if (error != std::errc() || stop != text.data() + end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int16_t> roundToInt16(double number) {
    if (!std::isfinite(number)) {
        return std::nullopt;
    }
    const double below = std::floor(number);
    const double part = number - below;
    double rounded = below;
    if (part > 0.5 || (part == 0.5 && std::fmod(below, 2.0) != 0.0)) {
        rounded = below + 1.0;
    }
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace velmora
