#pragma once

#include <optional>
#include <string>

#include "update/Flavour.h"

namespace velmora {

class EventLog;
class HttpFetcher;

// One entry of the hash list: a package and the digest it must have. Both come from the
// same entry, so the digest is always the one of the package named.
struct PublishedPackage {
    std::string name;    // YYYYMMDD-RRR
    std::string digest;  // 32 characters, exactly as listed
};

// Finds the newest published definitions package of a flavour in a hash list (the vendor's,
// or a mirror's copy): the last entry of the list that ends in "-" + flavour + ".exe".
class LatestPackageFinder {
  public:
    LatestPackageFinder(HttpFetcher& fetcher, EventLog& log);

    // That entry of the list at `listUrl`, always fetched from its server; or nothing after
    // reporting the failure through the log with the two flags.
    std::optional<PublishedPackage> lookUp(Flavour flavour, const std::string& listUrl,
                                           bool showBox, bool writeToLog);

  private:
    HttpFetcher& fetcher_;
    EventLog& log_;
};

}  // namespace velmora
