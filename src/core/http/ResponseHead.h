#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Where the body of a response ends, as its head tells.
struct BodyFraming {
    enum class Kind {
        Length,      // after exactly `length` bytes (Content-Length)
        Chunked,     // at the last chunk (Transfer-Encoding: chunked)
        UntilClose,  // where the server closes the connection (neither header)
        Broken,      // nowhere that can be trusted: the head contradicts itself or is malformed
    };
    Kind kind = Kind::UntilClose;
    std::uint64_t length = 0;  // for Length only

    bool operator==(const BodyFraming&) const = default;
};

// The head of one HTTP response (status line and header lines, ending in CR LF or LF),
// read for what a fetch acts on: its status, where its body ends and where it redirects.
// Both HTTP adapters read a head through this one reading, whatever their client library
// makes of it, so that one rule decides on every system which answers are whole.
class ResponseHead {
  public:
    static ResponseHead parse(std::string_view text);

    // 0 when the status line is not one.
    int status() const { return status_; }

    // A body is framed by one Content-Length (or a list of equal ones) of plain decimal
    // digits that fits in 64 bits, or by Transfer-Encoding "chunked" alone without a
    // Content-Length; without either it runs until the connection closes. Anything else,
    // a length that is malformed, negative, overflowing or stated twice differently, another
    // transfer coding, both headers at once, is Broken: the body's end cannot be told.
    BodyFraming framing() const;

    // The Location of a redirect (301, 302, 303, 307 or 308 with a Location); nothing for
    // any other response, whose body is the answer.
    std::optional<std::string> redirectLocation() const;

  private:
    struct Field {
        std::string name;  // as sent, blanks before the colon included
        std::string value;
    };
    std::optional<std::string> firstValue(std::string_view name) const;

    int status_ = 0;
    std::vector<Field> fields_;
};

}  // namespace velmora
