#pragma once

#include "ports/Notifier.h"

namespace velmora {

// A modal message box with the report text, no icon, one OK button and the title
// "Velmora". It runs a nested event loop until the user dismisses it.
class QtMessageBoxNotifier final : public Notifier {
  public:
    void showNotice(const std::string& text) override;
};

}  // namespace velmora
