#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace velmora::fuzz {

// Stops the run when a property does not hold, so that libFuzzer keeps the input as a
// crash; works whatever NDEBUG says.
inline void check(bool holds, std::string_view property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(property.size()),
                     property.data());
        std::abort();
    }
}

}  // namespace velmora::fuzz
