#include "update/BackgroundMd5.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

// The worker gives room back to the caller after each step, not only at the ring's end.
constexpr std::size_t kDigestStepBytes = std::size_t{1} << 20;

}  // namespace

BackgroundMd5::BackgroundMd5(DigestLibrary& library, EventLog& log, std::size_t backlogBytes)
    : stream_(library), log_(log) {
    try {
        ring_.resize(std::max<std::size_t>(backlogBytes, 1));
        worker_ = std::thread([this] { digestBacklog(); });
    } catch (const std::exception&) {
        // No ring or no thread: digest on the caller's thread instead.
        std::vector<std::uint8_t>().swap(ring_);
    }
}

BackgroundMd5::~BackgroundMd5() {
    stopWorker();
}

void BackgroundMd5::add(std::span<const std::uint8_t> piece) {
    if (!worker_.joinable()) {
        stream_.add(piece);
        return;
    }
    const std::size_t capacity = ring_.size();
    while (!piece.empty()) {
        std::unique_lock lock(mutex_);
        spaceFreed_.wait(lock, [&] { return added_ - digested_ < capacity; });
        const std::size_t start = static_cast<std::size_t>(added_ % capacity);
        const std::size_t room = capacity - static_cast<std::size_t>(added_ - digested_);
        const std::size_t length = std::min({piece.size(), room, capacity - start});
        lock.unlock();
        // The worker reads only below `added_`, so this stretch is the caller's alone.
        std::memcpy(ring_.data() + start, piece.data(), length);
        lock.lock();
        added_ += length;
        lock.unlock();
        piecesAdded_.notify_one();
        piece = piece.subspan(length);
    }
}

std::string BackgroundMd5::finish() {
    stopWorker();
    return stream_.finish(log_);
}

void BackgroundMd5::digestBacklog() {
    const std::size_t capacity = ring_.size();
    std::unique_lock lock(mutex_);
    for (;;) {
        piecesAdded_.wait(lock, [&] { return closing_ || added_ > digested_; });
        if (added_ == digested_) {
            return;
        }
        const std::size_t start = static_cast<std::size_t>(digested_ % capacity);
        const std::size_t length = std::min(
            {static_cast<std::size_t>(added_ - digested_), capacity - start, kDigestStepBytes});
        lock.unlock();
        stream_.add({ring_.data() + start, length});
        lock.lock();
        digested_ += length;
        spaceFreed_.notify_one();
    }
}

void BackgroundMd5::stopWorker() {
    if (!worker_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    piecesAdded_.notify_one();
    worker_.join();
}

}  // namespace velmora
