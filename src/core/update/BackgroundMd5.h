#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "log/EventLog.h"
#include "ports/DigestLibrary.h"
#include "update/Md5Stream.h"

namespace velmora {

// An MD5 digest taken on a worker thread from pieces handed to it as a download delivers
// them, so that the digest keeps pace with the download instead of following it. Each
// piece is copied into a ring of `backlogBytes`; a caller that gets that far ahead waits.
// Without a thread to be had, the pieces are digested on the caller's thread.
class BackgroundMd5 {
  public:
    static constexpr std::size_t kDefaultBacklogBytes = std::size_t{8} << 20;

    BackgroundMd5(DigestLibrary& library, EventLog& log,
                  std::size_t backlogBytes = kDefaultBacklogBytes);
    // Stops the worker once it has digested what it holds (at most the backlog).
    ~BackgroundMd5();
    BackgroundMd5(const BackgroundMd5&) = delete;
    BackgroundMd5& operator=(const BackgroundMd5&) = delete;

    void add(std::span<const std::uint8_t> piece);

    // Waits until every piece has been digested, then ends the digest like
    // Md5Stream::finish: the digest of all the pieces, or empty text with the error logged.
    std::string finish();

  private:
    void digestBacklog();
    void stopWorker();

    Md5Stream stream_;
    EventLog& log_;
    std::vector<std::uint8_t> ring_;
    std::mutex mutex_;
    std::condition_variable piecesAdded_;
    std::condition_variable spaceFreed_;
    // Bytes ever copied into the ring and ever digested from it; the backlog lies between.
    std::uint64_t added_ = 0;
    std::uint64_t digested_ = 0;
    bool closing_ = false;
    std::thread worker_;
};

}  // namespace velmora
