#pragma once

#include <string>

#include "log/NoticeFlags.h"

namespace velmora {

class EventLog;
class HttpFetcher;
class Label;
class OptionGroup;
class SettingsStore;

// Finds the newest published definitions package of the stored flavour in the vendor's
// hash list: the last entry of the list that ends in "-" + flavour + ".exe".
class LatestPackageFinder {
  public:
    // `latestLabel` is the window's lblLatstVDFileName, `flavourOptions` its optIUP.
    LatestPackageFinder(Label& latestLabel, const OptionGroup& flavourOptions, SettingsStore& store,
                        HttpFetcher& fetcher, EventLog& log);

    // The 32-character digest of that entry, with its package name stored in the label's
    // tag and its display form in the caption; or the empty text after reporting the
    // failure through the log with the two flags, leaving the label as it was.
    std::string FindLatestPackage(const Flag16& showBox, const Flag16& writeToLog);

  private:
    std::string storedFlavour();

    Label& latestLabel_;
    const OptionGroup& flavourOptions_;
    SettingsStore& store_;
    HttpFetcher& fetcher_;
    EventLog& log_;
};

}  // namespace velmora
