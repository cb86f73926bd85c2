// Fetches one URL into memory with the program's fetcher, as the update run does, and
// reports the size and the time the fetch took. The caller measures the process as a whole.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/net/CurlFetcher.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL EXPECTED_BYTES\n", argv[0]);
        return 2;
    }
    const std::size_t expected = std::strtoull(argv[2], nullptr, 10);
    velmora::CurlFetcher fetcher;
    velmora::ByteBuffer body;
    const auto start = std::chrono::steady_clock::now();
    const std::size_t received = fetcher.InternetGetFile(argv[1], body, "");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("bytes %zu fetch_seconds %.4f\n", received, took.count());
    return received == expected && body.size() == expected ? 0 : 1;
}
