#pragma once

#include <cstdint>

namespace velmora {

// The predefined registry roots the program uses.
enum class RootKey : std::uint32_t {
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

}  // namespace velmora
