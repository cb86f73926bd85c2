#pragma once

#include "ports/Notifier.h"

namespace velmora {

// The notice of the command-line mode: one line on standard output per report.
class StdoutNotifier final : public Notifier {
  public:
    void showNotice(const std::string& text) override;
};

}  // namespace velmora
