#include "platform/posix/PagePrefaulter.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace velmora {

namespace {

// Only advice: a kernel without MADV_POPULATE_WRITE refuses it and nothing changes.
void populate(const std::uint8_t* from, const std::uint8_t* to) {
    static const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(from) & ~(pageSize - 1);
    const auto last = reinterpret_cast<std::uintptr_t>(to) & ~(pageSize - 1);
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
}

}  // namespace

void PagePrefaulter::before(const ByteBuffer& buffer, std::size_t incoming) {
    if (buffer.capacity() < kFromCapacity) {
        return;
    }
    if (buffer.data() != base_) {
        // A new allocation: what was copied over is in place, the rest is fresh.
        base_ = buffer.data();
        faultedEnd_ = buffer.size();
    }
    const std::size_t end = buffer.size() + incoming;
    if (end <= faultedEnd_ || end > buffer.capacity()) {
        return;
    }
    const std::size_t windowEnd = std::min(buffer.capacity(), end + kWindowBytes);
    populate(base_ + faultedEnd_, base_ + windowEnd);
    faultedEnd_ = windowEnd;
}

}  // namespace velmora
