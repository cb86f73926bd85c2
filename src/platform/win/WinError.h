#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Windows' own description of a system error code, in UTF-8, without the trailing line
// break; "error <code>" when Windows has none.
std::string describeWinError(std::uint32_t code);

// The description of the calling thread's last error (GetLastError).
std::string describeLastWinError();

}  // namespace velmora
