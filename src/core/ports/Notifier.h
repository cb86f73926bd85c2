#pragma once

#include <string>

namespace velmora {

// Shows a report to the user and waits until it is dismissed: a modal message box with
// one OK button in the desktop program, a line on standard output on the command line.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void showNotice(const std::string& text) = 0;
};

}  // namespace velmora
