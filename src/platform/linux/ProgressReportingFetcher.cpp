#include "linux/ProgressReportingFetcher.h"

namespace velmora {

namespace {

// Passes the body on and counts it for the progress line.
class CountingReceiver final : public BodyReceiver {
  public:
    CountingReceiver(BodyReceiver& inner, TerminalProgress& progress)
        : inner_(inner), progress_(progress) {}

    bool receive(std::span<const std::uint8_t> piece) override {
        received_ += piece.size();
        progress_.update(received_, total_);
        return inner_.receive(piece);
    }

    void expectLength(std::uint64_t length) override {
        total_ = length;
        progress_.update(received_, total_);
        inner_.expectLength(length);
    }

  private:
    BodyReceiver& inner_;
    TerminalProgress& progress_;
    std::uint64_t received_ = 0;
    std::optional<std::uint64_t> total_;
};

std::string lastPathPart(const std::string& url) {
    const std::size_t slash = url.find_last_of('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

// Clears the line on every way out of the fetch, an exception included.
class ProgressScope {
  public:
    ProgressScope(TerminalProgress& progress, const std::string& what) : progress_(progress) {
        progress_.start(what);
    }
    ~ProgressScope() { progress_.finish(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    TerminalProgress& progress_;
};

}  // namespace

ProgressReportingFetcher::ProgressReportingFetcher(HttpFetcher& inner, TerminalProgress& progress)
    : inner_(inner), progress_(progress) {}

FetchStatus ProgressReportingFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                            BodyReceiver& receiver, CacheUse cache) {
    const ProgressScope shown(progress_, lastPathPart(sourceUrl));
    CountingReceiver counting(receiver, progress_);
    return inner_.fetch(sourceUrl, maxBytes, counting, cache);
}

}  // namespace velmora
