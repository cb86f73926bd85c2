#include "http/ResponseHead.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace velmora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
}

// The elements of a comma-separated header list, trimmed; empty elements do not count.
std::vector<std::string_view> listElements(std::string_view value) {
    std::vector<std::string_view> elements;
    while (true) {
        const std::size_t comma = value.find(',');
        const std::string_view element = trimmed(value.substr(0, comma));
        if (!element.empty()) {
            elements.push_back(element);
        }
        if (comma == std::string_view::npos) {
            return elements;
        }
        value.remove_prefix(comma + 1);
    }
}

// 1*DIGIT within 64 bits: no sign, no blanks, nothing after the digits.
std::optional<std::uint64_t> decimalLength(std::string_view text) {
    std::uint64_t length = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, length);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return length;
}

int statusOf(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (!statusLine.starts_with("HTTP/") || space == std::string_view::npos) {
        return 0;
    }
    const std::string_view rest = statusLine.substr(space + 1);
    const std::string_view code = rest.substr(0, rest.find(' '));
    int status = 0;
    const auto [stop, error] = std::from_chars(code.data(), code.data() + code.size(), status);
    const bool whole = code.size() == 3 && error == std::errc() && stop == code.data() + 3;
    return whole && status >= 100 ? status : 0;
}

}  // namespace

ResponseHead ResponseHead::parse(std::string_view text) {
    ResponseHead head;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            head.status_ = statusOf(line);
            first = false;
        } else if (line.empty()) {
            break;
        } else if (isBlank(line.front()) && !head.fields_.empty()) {
            // A folded line goes on with the field before it.
            head.fields_.back().value += ' ';
            head.fields_.back().value += trimmed(line);
        } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
            head.fields_.push_back(
                {std::string(line.substr(0, colon)), std::string(trimmed(line.substr(colon + 1)))});
        }
    }
    return head;
}

BodyFraming ResponseHead::framing() const {
    constexpr BodyFraming kBroken{BodyFraming::Kind::Broken};
    std::optional<std::uint64_t> length;
    std::vector<std::string_view> codings;
    for (const Field& field : fields_) {
        const std::string_view name = trimmed(field.name);
        const bool contentLength = sameIgnoringCase(name, "Content-Length");
        const bool transferEncoding = sameIgnoringCase(name, "Transfer-Encoding");
        if ((contentLength || transferEncoding) && name.size() != field.name.size()) {
            // Blanks before the colon: one reader takes the field, another does not.
            return kBroken;
        }
        if (contentLength) {
            const std::vector<std::string_view> elements = listElements(field.value);
            if (elements.empty()) {
                return kBroken;
            }
            for (const std::string_view element : elements) {
                const std::optional<std::uint64_t> stated = decimalLength(element);
                if (!stated || (length && *length != *stated)) {
                    return kBroken;
                }
                length = stated;
            }
        } else if (transferEncoding) {
            const std::vector<std::string_view> elements = listElements(field.value);
            codings.insert(codings.end(), elements.begin(), elements.end());
        }
    }
    if (!codings.empty()) {
        // Nothing but chunked is asked for, and a length beside it is a smuggling attempt.
        const bool chunkedAlone = codings.size() == 1 && sameIgnoringCase(codings[0], "chunked");
        return chunkedAlone && !length ? BodyFraming{BodyFraming::Kind::Chunked} : kBroken;
    }
    if (length) {
        return {BodyFraming::Kind::Length, *length};
    }
    return {BodyFraming::Kind::UntilClose};
}

std::optional<std::string> ResponseHead::redirectLocation() const {
    const bool redirect =
        status_ == 301 || status_ == 302 || status_ == 303 || status_ == 307 || status_ == 308;
    if (!redirect) {
        return std::nullopt;
    }
    std::optional<std::string> location = firstValue("Location");
    return location && !location->empty() ? location : std::nullopt;
}

std::optional<std::string> ResponseHead::firstValue(std::string_view name) const {
    for (const Field& field : fields_) {
        if (sameIgnoringCase(field.name, name)) {
            return field.value;
        }
    }
    return std::nullopt;
}

}  // namespace velmora
