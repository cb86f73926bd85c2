#include "qt/QtDesktop.h"

#include <QSystemTrayIcon>

#include "qt/QtSettingsWindowView.h"
#include "qt/QtShellWindows.h"
#include "qt/QtTimerDriver.h"
#include "qt/QtTrayIcon.h"
#include "qt/QtTrayMenu.h"

namespace velmora {

namespace {

// The tray icon, its menu, the settings window's widgets (built when the window is first
// shown, so that a program that stays in the tray never builds them), the About box and the
// minute timer.
class QtDesktopShell final : public DesktopShell {
  public:
    QtDesktopShell(SettingsWindow& window, DesktopEvents& events)
        : window_(window), events_(events) {}

    TrayIcon& trayIcon() override { return trayIcon_; }
    ShellWindows& windows() override { return windows_; }
    bool trayIconShown() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

  private:
    QWidget& settingsView() {
        if (!view_) {
            view_ = std::make_unique<QtSettingsWindowView>(window_);
            view_->onUserClose = [this] { events_.onUnloadRequested(UnloadMode::UserClose); };
        }
        return *view_;
    }

    SettingsWindow& window_;
    DesktopEvents& events_;
    std::unique_ptr<QtSettingsWindowView> view_;
    QtTimerDriver minuteTimer_{window_.minuteTimer};
    QtTrayMenu menu_{[this](TrayCommand command) { events_.onTrayCommand(command); }};
    QtShellWindows windows_{window_, [this]() -> QWidget& { return settingsView(); }, menu_};
    QtTrayIcon trayIcon_{[this](TrayMessage message) { events_.onTrayMessage(message); }};
};

}  // namespace

QtDesktop::QtDesktop(int& argc, char** argv, EndRequests& endRequests, DesktopEvents& events)
    : app_(argc, argv),
      events_(events),
      endRequested_(endRequests.handle().native(), QSocketNotifier::Read) {
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&endRequested_, &QSocketNotifier::activated, [this, &endRequests] {
        endRequests.take();
        events_.onUnloadRequested(UnloadMode::TaskManager);
    });
    // The end of the desktop session arrives as the session manager's "die", which Qt turns
    // into a quit, or as SIGTERM or SIGHUP. Not commitDataRequest: Qt also emits it for a
    // mere checkpoint of the session and before a log-out the user may still cancel.
    QObject::connect(&app_, &QCoreApplication::aboutToQuit,
                     [this] { events_.onUnloadRequested(UnloadMode::SessionEnd); });
}

std::unique_ptr<DesktopShell> QtDesktop::showOn(SettingsWindow& window) {
    return std::make_unique<QtDesktopShell>(window, events_);
}

int QtDesktop::runEventLoop() {
    return QApplication::exec();
}

// exit() rather than quit(): quit() asks every window to close first, and the settings
// window refuses a close, which it takes for the user's close box.
void QtDesktop::endEventLoop() {
    QCoreApplication::exit(0);
}

std::unique_ptr<Desktop> createDesktop(int& argc, char** argv, EndRequests& endRequests,
                                       DesktopEvents& events) {
    return std::make_unique<QtDesktop>(argc, argv, endRequests, events);
}

}  // namespace velmora
