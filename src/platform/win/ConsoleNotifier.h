#pragma once

#include "ports/Notifier.h"

namespace velmora {

// The notice of the command-line mode: one line on standard output per report, in UTF-8
// when redirected and as characters in a console.
class ConsoleNotifier final : public Notifier {
  public:
    void showNotice(const std::string& text) override;
};

}  // namespace velmora
