#pragma once

#include "ports/Notifier.h"

namespace velmora {

// A notice as a message box: the text, the program's title, one OK button and no icon.
// Returns when the user has dismissed it.
class WinMessageBoxNotifier final : public Notifier {
  public:
    void showNotice(const std::string& text) override;
};

}  // namespace velmora
