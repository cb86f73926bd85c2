// Digests one buffer in memory with Md5Stream several times and prints each run's
// throughput in bytes per second, both per second of CPU time (the basis `openssl speed`
// uses by default) and per second of wall time (its -elapsed basis).
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "linux/LocalTime.h"
#include "linux/StdoutNotifier.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "ports/ByteBuffer.h"
#include "update/Md5Stream.h"

namespace {

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    velmora::ByteBuffer buffer(mebibytes << 20);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    }
    velmora::StdoutNotifier notifier;
    velmora::EventLog log({"/dev/stderr", ""}, notifier, velmora::localLogStamp);
    velmora::OpenSslDigestLibrary library;
    for (int run = 0; run < runs; ++run) {
        const double cpuStart = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        velmora::Md5Stream stream(library);
        stream.add(buffer);
        const std::string digest = stream.finish(log);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        const double cpu = cpuSeconds() - cpuStart;
        if (digest.size() != 32) {
            return 1;
        }
        const auto bytes = static_cast<double>(buffer.size());
        std::printf("digest %s cpu_bytes_per_second %.0f wall_bytes_per_second %.0f\n",
                    digest.c_str(), bytes / cpu, bytes / wall.count());
    }
    return 0;
}
