#pragma once

#include <optional>
#include <string>

#include "settings/Reg.h"

namespace velmora {

// The publisher whose signature packages must carry once a signed package has been seen,
// kept per user beside the settings as the string value "Publisher". Deleting that value
// (or `velmora --forget-publisher`) forgets it, for when the vendor changes its certificate.
class KeptPublisher {
  public:
    explicit KeptPublisher(Reg& reg);

    // The kept publisher, empty text when none is kept, or nothing when that cannot be
    // told (the settings cannot be read).
    std::optional<std::string> read();
    bool keep(const std::string& publisher);
    // True when a kept publisher was forgotten.
    bool forget();

  private:
    Reg& reg_;
};

}  // namespace velmora
