#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteBuffer.h"

namespace velmora {

// A large body lands in fresh memory, one page fault per 4 KiB page. Faulting the pages in
// a window ahead of the data, with one call per window, saves most of that cost, and never
// commits more than a window beyond what has arrived, whatever capacity was reserved.
class PagePrefaulter {
  public:
    static constexpr std::size_t kWindowBytes = 16u << 20;
    static constexpr std::size_t kFromCapacity = 1u << 20;

    // Called before `incoming` bytes are appended to `buffer`.
    void before(const ByteBuffer& buffer, std::size_t incoming);

  private:
    const std::uint8_t* base_ = nullptr;
    std::size_t faultedEnd_ = 0;
};

}  // namespace velmora
