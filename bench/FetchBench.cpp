// Fetches one URL with the program's fetcher, handing the body to a receiver that only
// counts it, and reports the size and the time the fetch took. The caller measures the
// process as a whole.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "curl/CurlFetcher.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL EXPECTED_BYTES\n", argv[0]);
        return 2;
    }
    const std::size_t expected = std::strtoull(argv[2], nullptr, 10);
    class Counter final : public velmora::BodyReceiver {
      public:
        bool receive(std::span<const std::uint8_t> piece) override {
            count += piece.size();
            return true;
        }
        std::size_t count = 0;
    } counter;
    velmora::CurlFetcher fetcher;
    const auto start = std::chrono::steady_clock::now();
    const velmora::FetchStatus status = fetcher.fetch(argv[1], std::uint64_t{4} << 30, counter);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("bytes %zu fetch_seconds %.4f\n", counter.count, took.count());
    return status == velmora::FetchStatus::Complete && counter.count == expected ? 0 : 1;
}
