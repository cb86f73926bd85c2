#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// Whether --update-now shows a progress line on standard error while it downloads.
enum class ProgressDisplay {
    OnTerminal,  // a line that rewrites itself, when standard error is a terminal
    Never,       // --quiet
    Always,      // --progress: also into a file or a pipe, then as plain lines now and then
};

// How far one download has come, as shown on a terminal.
struct TransferProgress {
    std::string what;                         // the file being fetched
    std::uint64_t received = 0;               // body bytes so far
    std::optional<std::uint64_t> total;       // the announced length, when there is one
    std::chrono::duration<double> elapsed{};  // since the request was made
};

// One line: what is fetched, bytes so far, and, where they can be known, the total, the
// percentage, the average rate and the time left, e.g.
// "20041114-017-i32.exe  12.0 MiB of 48.0 MiB  25%  3.0 MiB/s  0:12 left".
std::string progressText(const TransferProgress& progress);

}  // namespace velmora
