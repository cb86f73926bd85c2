#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

// A downloaded body held in memory: indices 0 to size()-1.
using ByteBuffer = std::vector<std::uint8_t>;

}  // namespace velmora
