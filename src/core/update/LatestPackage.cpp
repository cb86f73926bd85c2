#include "update/LatestPackage.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

#include "log/EventLog.h"
#include "log/PrintableText.h"
#include "ports/ByteBuffer.h"
#include "ports/HttpFetcher.h"

namespace velmora {

namespace {

// Layout of a usable entry before the suffix that begins at 0-based offset S:
// 32 digest characters, one separator, the 12-character package name.
constexpr std::size_t kDigestLength = 32;
constexpr std::size_t kNameLength = 12;
constexpr std::size_t kEntryLength = kDigestLength + 1 + kNameLength;
// Real lists are a few kilobytes; anything past this is no list.
constexpr std::size_t kListLimitBytes = std::size_t{1} << 20;
// Enough for a whole real list or a server's error page; a larger answer is cut in the
// report so that a hostile server cannot fill the log.
constexpr std::size_t kQuotedListLimit = std::size_t{64} << 10;

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// YYYYMMDD-RRR. The name becomes part of a file name that is written and run, so nothing
// else may pass: no separators, no dots, no other characters.
bool isPackageName(const std::string& name) {
    return name.size() == kNameLength && std::all_of(name.begin(), name.begin() + 8, isDigit) &&
           name[8] == '-' && std::all_of(name.begin() + 9, name.end(), isDigit);
}

}  // namespace

LatestPackageFinder::LatestPackageFinder(HttpFetcher& fetcher, EventLog& log)
    : fetcher_(fetcher), log_(log) {}

std::optional<PublishedPackage> LatestPackageFinder::lookUp(Flavour flavour,
                                                            const std::string& listUrl,
                                                            bool showBox, bool writeToLog) {
    ByteBuffer received;
    const std::size_t length = fetcher_.fetchWhole(listUrl, received, kListLimitBytes);
    if (length == 0) {
        // Nothing is reported while the program ends.
        if (!fetcher_.cancelled()) {
            log_.report(listUrl + " をダウンロードできません.", showBox, writeToLog);
        }
        return std::nullopt;
    }
    // One character per byte: the list is ASCII, and positions count bytes whatever else
    // it may hold.
    const std::string list(received.begin(), received.begin() + static_cast<long>(length));

    const std::string suffix = "-" + std::string(flavourText(flavour)) + ".exe";
    const std::size_t suffixAt = list.rfind(suffix);
    const bool roomForEntry = suffixAt != std::string::npos && suffixAt >= kEntryLength;
    if (!roomForEntry || !isPackageName(list.substr(suffixAt - kNameLength, kNameLength))) {
        log_.report(listUrl + " のダウンロードに失敗しました(2). -- " +
                        printableExcerpt(list, kQuotedListLimit) + " --",
                    showBox, writeToLog);
        return std::nullopt;
    }
    return PublishedPackage{.name = list.substr(suffixAt - kNameLength, kNameLength),
                            .digest = list.substr(suffixAt - kEntryLength, kDigestLength)};
}

}  // namespace velmora
