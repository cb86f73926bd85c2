#pragma once

#include <cstdint>

namespace velmora {

// The program's 16-bit booleans. A notice flag asks for its action only when it holds
// exactly kTrue; any other value, 1 included, counts as false.
using Flag16 = std::int16_t;
inline constexpr Flag16 kTrue = -1;
inline constexpr Flag16 kFalse = 0;

constexpr Flag16 toFlag(bool value) {
    return value ? kTrue : kFalse;
}

}  // namespace velmora
