#pragma once

#include "linux/TerminalProgress.h"
#include "ports/HttpFetcher.h"

namespace velmora {

// Shows each fetch of another fetcher on a progress line, named after the last part of its
// URL, and clears the line before the fetch returns, so that the notice that follows
// starts on a clean line.
class ProgressReportingFetcher final : public HttpFetcher {
  public:
    ProgressReportingFetcher(HttpFetcher& inner, TerminalProgress& progress);

    FetchStatus fetch(const std::string& sourceUrl, std::uint64_t maxBytes, BodyReceiver& receiver,
                      CacheUse cache = CacheUse::Bypass) override;
    void cancel() override { inner_.cancel(); }
    bool cancelled() const override { return inner_.cancelled(); }

  private:
    HttpFetcher& inner_;
    TerminalProgress& progress_;
};

}  // namespace velmora
