#include "log/PrintableText.h"

#include <array>

namespace velmora {

namespace {

// The length of the UTF-8 sequence that starts `text`, or 0 when it is not one: a lead
// byte, the right number of continuation bytes, and no overlong, surrogate or out-of-range
// code point.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    constexpr std::array<char32_t, 5> kSmallestOfLength = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = codePoint >= kSmallestOfLength[length] && codePoint <= 0x10FFFF &&
                       (codePoint < 0xD800 || codePoint > 0xDFFF);
    return valid ? length : 0;
}

bool isControl(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1) {
        return (lead < 0x20 && lead != '\t' && lead != '\r' && lead != '\n') || lead == 0x7F;
    }
    // U+0080 to U+009F, the C1 controls: some terminals take U+009B as an escape sequence.
    return lead == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0;
}

void appendEscaped(std::string& out, std::string_view bytes) {
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    for (const char c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        out += "\\x";
        out += kHexDigits[value >> 4];
        out += kHexDigits[value & 0x0Fu];
    }
}

}  // namespace

std::string printableExcerpt(std::string_view text, std::size_t limit) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = utf8SequenceLength(text.substr(at));
        const std::size_t taken = length == 0 ? 1 : length;
        if (at + taken > limit) {
            break;
        }
        const std::string_view sequence = text.substr(at, taken);
        // A CR that ends no line would send a terminal back over the text before it.
        const bool loneCarriageReturn = sequence == "\r" && text.substr(at + 1, 1) != "\n";
        if (length == 0 || isControl(sequence) || loneCarriageReturn) {
            appendEscaped(out, sequence);
        } else {
            out += sequence;
        }
        at += taken;
    }
    if (at < text.size()) {
        out += "...(以下 " + std::to_string(text.size() - at) + " バイト省略)";
    }
    return out;
}

}  // namespace velmora
