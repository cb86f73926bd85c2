#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace velmora {

// Windows' own description of a system error code, in UTF-8 (FormatMessageW), without the
// trailing line break; "error <code>" when Windows has none, so that it is never empty.
std::string describeWinError(std::uint32_t code);

// The description of the calling thread's last error (GetLastError).
std::string describeLastWinError();

// Windows' system error codes as an error category whose messages are describeWinError's,
// in UTF-8: what a thrown std::system_error reports, whatever the ANSI code page.
const std::error_category& winErrorCategory();

}  // namespace velmora
