#pragma once

#include <QApplication>
#include <QSocketNotifier>
#include <memory>

#include "qt/QtEventLoopWait.h"
#include "qt/QtMessageBoxNotifier.h"
#include "shell/Desktop.h"

namespace velmora {

// The desktop through Qt Widgets: the application object, message boxes, nested event loops
// for the waits, and the requests to end (a signal through the end-request handle, the
// session manager's "die", which Qt turns into a quit).
class QtDesktop final : public Desktop {
  public:
    QtDesktop(int& argc, char** argv, EndRequests& endRequests, DesktopEvents& events);

    Notifier& messageBoxes() override { return messageBoxes_; }
    EventLoopWait& waits() override { return waits_; }
    std::unique_ptr<DesktopShell> showOn(SettingsWindow& window) override;
    int runEventLoop() override;
    void endEventLoop() override;

  private:
    QApplication app_;
    DesktopEvents& events_;
    QtMessageBoxNotifier messageBoxes_;
    QtEventLoopWait waits_;
    QSocketNotifier endRequested_;
};

}  // namespace velmora
