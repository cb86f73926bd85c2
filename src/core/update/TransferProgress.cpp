#include "update/TransferProgress.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

std::string byteCount(double bytes) {
    constexpr std::array<const char*, 4> kUnits = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) {
        return std::to_string(static_cast<std::uint64_t>(bytes)) + " B";
    }
    std::size_t unit = 0;
    bytes /= 1024;
    while (bytes >= 1024 && unit + 1 < kUnits.size()) {
        bytes /= 1024;
        ++unit;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f %s", bytes, kUnits[unit]);
    return text.data();
}

std::string duration(double seconds) {
    const auto whole = static_cast<std::uint64_t>(std::ceil(seconds));
    std::array<char, 32> text{};
    if (whole >= 3600) {
        std::snprintf(text.data(), text.size(), "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(whole / 3600),
                      static_cast<unsigned long long>(whole / 60 % 60),
                      static_cast<unsigned long long>(whole % 60));
    } else {
        std::snprintf(text.data(), text.size(), "%llu:%02llu",
                      static_cast<unsigned long long>(whole / 60),
                      static_cast<unsigned long long>(whole % 60));
    }
    return text.data();
}

}  // namespace

std::string progressText(const TransferProgress& progress) {
    std::string line = progress.what + "  " + byteCount(static_cast<double>(progress.received));
    // A total smaller than what arrived is a server's mistake, not a percentage.
    const bool totalKnown = progress.total && *progress.total >= progress.received;
    if (totalKnown) {
        line += " of " + byteCount(static_cast<double>(*progress.total));
        line +=
            "  " +
            std::to_string(*progress.total == 0 ? 100 : progress.received * 100 / *progress.total) +
            "%";
    }
    const double seconds = progress.elapsed.count();
    if (seconds <= 0 || progress.received == 0) {
        return line;
    }
    const double rate = static_cast<double>(progress.received) / seconds;
    line += "  " + byteCount(rate) + "/s";
    if (totalKnown) {
        line += "  " + duration(static_cast<double>(*progress.total - progress.received) / rate) +
                " left";
    }
    return line;
}

}  // namespace velmora
