#include "ResidentProgram.h"

#include <QApplication>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "UpdateMachinery.h"
#include "log/EventLog.h"
#include "ports/Platform.h"
#include "qt/MessageBoxNotifier.h"
#include "qt/QtEventLoopWait.h"
#include "qt/QtShellWindows.h"
#include "qt/QtTimerDriver.h"
#include "qt/QtTrayIcon.h"
#include "qt/SettingsWindowView.h"
#include "qt/TrayMenu.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "shell/Lifecycle.h"
#include "shell/StartupReport.h"
#include "shell/UpdateScheduler.h"
#include "tray/NotifyIcon.h"
#include "tray/TrayIconLogic.h"
#include "window/SettingsWindow.h"

namespace velmora {

namespace {

// Written once the event loop runs, so that the file also marks the moment the program
// has become resident.
void writeStartupReportWhenAsked(const SettingsWindowControls& window) {
    const char* file = std::getenv("VELMORA_STARTUP_REPORT");
    if (file == nullptr || *file == '\0') {
        return;
    }
    QSaveFile out(QString::fromLocal8Bit(file));
    if (!out.open(QIODevice::WriteOnly)) {
        return;
    }
    const std::string report = startupReport(window, QSystemTrayIcon::isSystemTrayAvailable());
    out.write(report.data(), static_cast<qint64>(report.size()));
    out.commit();
}

// The resident program's parts, in the order they are made (and the reverse order in
// which they go): the settings window before the widgets that show it, the update run
// before the events that start it.
class Resident {
  public:
    Resident(Platform& platform, QApplication& app, EndRequests& endRequests);
    Resident(const Resident&) = delete;
    Resident& operator=(const Resident&) = delete;

    // startUp, then the event loop until the program is unloaded.
    int run();

  private:
    QWidget& settingsView();
    LifecycleSteps startUpSteps();
    LifecycleSteps startUpSteps(std::function<void()> endProgram);

    Platform& platform_;
    MessageBoxNotifier notifier_;
    EventLog log_{platform_.logDestinations(), notifier_, platform_.localClock()};
    Reg reg_{platform_.registry(), log_};
    RegistrySettings settings_{
        reg_, platform_.autostart(),
        startupEntryFor(platform_.executable().path, platform_.executable().exeName)};
    SettingsWindow window_{settings_};
    std::unique_ptr<SettingsWindowView> view_;
    QtEventLoopWait events_;
    UpdateMachinery update_{platform_, reg_, log_, events_, ProgressDisplay::Never};
    UpdateScheduler scheduler_{window_, settings_, update_.service, log_};
    QtTimerDriver minuteTimer_{window_.minuteTimer};
    TrayMenu menu_{[this](TrayCommand command) { trayLogic_.onMenuCommand(command); }};
    QtShellWindows windows_{window_, [this]() -> QWidget& { return settingsView(); }, menu_};
    QtTrayIcon trayIcon_{[this](TrayMessage message) { trayLogic_.onTrayMessage(message); }};
    NotifyIcon notifyIcon_{trayIcon_, log_};
    Lifecycle form_{window_, notifyIcon_, windows_, startUpSteps()};
    TrayIconLogic trayLogic_{windows_, [this] { form_.unload(UnloadMode::Code); }};
    QSocketNotifier endRequested_;
};

Resident::Resident(Platform& platform, QApplication& app, EndRequests& endRequests)
    : platform_(platform), endRequested_(endRequests.handle().native(), QSocketNotifier::Read) {
    QObject::connect(&endRequested_, &QSocketNotifier::activated, [this, &endRequests] {
        endRequests.take();
        form_.unload(UnloadMode::TaskManager);
    });
    // The end of the desktop session arrives as the session manager's "die", which Qt turns
    // into a quit, or as SIGTERM or SIGHUP. Not commitDataRequest: Qt also emits it for a
    // mere checkpoint of the session and before a log-out the user may still cancel.
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [this] { form_.unload(UnloadMode::SessionEnd); });
}

int Resident::run() {
    form_.startUp();
    if (form_.unloaded()) {
        // Ended from a nested event loop of the start-up (a message box): a new main loop
        // would no longer notice that the program has been asked to quit.
        return 0;
    }
    QTimer::singleShot(0, [this] { writeStartupReportWhenAsked(window_); });
    return QApplication::exec();
}

QWidget& Resident::settingsView() {
    if (!view_) {
        view_ = std::make_unique<SettingsWindowView>(window_);
        view_->onUserClose = [this] { form_.unload(UnloadMode::UserClose); };
    }
    return *view_;
}

// exit() rather than quit(): quit() asks every window to close first, and the settings
// window refuses a close, which it takes for the user's close box.
LifecycleSteps Resident::startUpSteps() {
    return startUpSteps([] { QCoreApplication::exit(0); });
}

// What the start-up does through the update service: the newest package looked up for the
// stored flavour; `endProgram` ends the system's event loop.
LifecycleSteps Resident::startUpSteps(std::function<void()> endProgram) {
    return {
        .resetTickCounter = [this] { scheduler_.resetTickCounter(); },
        .installedDefinitions = [this] { return update_.service.installedVersion(); },
        .findLatestPackage =
            [this](bool showBox, bool writeToLog) {
                return update_.service.lookUpNewest(settings_.load().settings.flavour, showBox,
                                                    writeToLog);
            },
        .endProgram = std::move(endProgram),
    };
}

}  // namespace

int runResident(int& argc, char** argv) {
    const std::unique_ptr<Platform> platform = createPlatform();
    const std::unique_ptr<SingleInstance> instance = platform->claimSingleInstance();
    if (const std::optional<int> status = UpdateMachinery::exitStatusUnlessAlone(*instance)) {
        return *status;
    }
    // Before anything else, so that a request to end during the start-up is not lost.
    const std::unique_ptr<EndRequests> endRequests = platform->watchEndRequests();

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Resident resident(*platform, app, *endRequests);
    return resident.run();
}

}  // namespace velmora
