#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "ResidentProgram.h"
#include "UpdateMachinery.h"
#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "shell/Lifecycle.h"
#include "shell/StartupReport.h"
#include "shell/UpdateScheduler.h"
#include "tray/NotifyIcon.h"
#include "tray/TrayIconLogic.h"
#include "win/MessageLoopWait.h"
#include "window/SettingsWindow.h"
#include "winui/MessageBoxNotifier.h"
#include "winui/MessageLoop.h"
#include "winui/SessionEnd.h"
#include "winui/SettingsWindowView.h"
#include "winui/ShellWindows.h"
#include "winui/TimerDriver.h"
#include "winui/TrayIcon.h"
#include "winui/TrayMenu.h"

namespace velmora {

namespace {

// Written when the start-up is over, just before the message loop, so that the file also
// marks the moment the program has become resident; replaced whole, so that a reader never
// sees half of it.
void writeStartupReportWhenAsked(const SettingsWindowControls& window, bool trayIconShown) {
    const wchar_t* file = ::_wgetenv(L"VELMORA_STARTUP_REPORT");
    if (file == nullptr || *file == L'\0') {
        return;
    }
    const std::filesystem::path target(file);
    std::filesystem::path temporary = target;
    temporary += L".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << startupReport(window, trayIconShown);
        if (!out.flush()) {
            return;
        }
    }
    std::error_code ignored;
    std::filesystem::rename(temporary, target, ignored);
}

// The resident program's parts, in the order they are made (and the reverse order in
// which they go): the settings window before the view that shows it, the update run before
// the events that start it.
class Resident {
  public:
    Resident(Platform& platform, EndRequests& endRequests, EventLoopWait& events);
    Resident(const Resident&) = delete;
    Resident& operator=(const Resident&) = delete;

    // startUp, then the message loop until the program is unloaded.
    int run();

  private:
    HWND settingsView();
    LifecycleSteps startUpSteps();
    LifecycleSteps startUpSteps(std::function<void()> endProgram);

    Platform& platform_;
    EndRequests& endRequests_;
    WinMessageBoxNotifier notifier_;
    EventLog log_{platform_.logDestinations(), notifier_, platform_.localClock()};
    Reg reg_{platform_.registry(), log_};
    RegistrySettings settings_{
        reg_, platform_.autostart(),
        startupEntryFor(platform_.executable().path, platform_.executable().exeName)};
    SettingsWindow window_{settings_};
    std::unique_ptr<SettingsWindowView> view_;
    UpdateMachinery update_;
    UpdateScheduler scheduler_{window_, settings_, update_.service, log_};
    WinTimerDriver minuteTimer_{window_.minuteTimer};
    WinTrayIcon trayIcon_{[this](TrayMessage message) { trayLogic_.onTrayMessage(message); }};
    WinTrayMenu menu_{trayIcon_.hwnd(),
                      [this](TrayCommand command) { trayLogic_.onMenuCommand(command); }};
    WinShellWindows windows_{window_, [this] { return settingsView(); }, menu_};
    NotifyIcon notifyIcon_{trayIcon_, log_};
    Lifecycle form_{window_, notifyIcon_, windows_, startUpSteps()};
    TrayIconLogic trayLogic_{windows_, [this] { form_.unload(UnloadMode::Code); }};
    // WM_ENDSESSION: Windows is logging off or shutting down; the same unload as the
    // menu's exit, not the close box's.
    SessionEndWatcher sessionEnd_{[this] { form_.unload(UnloadMode::SessionEnd); }};
};

Resident::Resident(Platform& platform, EndRequests& endRequests, EventLoopWait& events)
    : platform_(platform),
      endRequests_(endRequests),
      update_(platform_, reg_, log_, events, ProgressDisplay::Never) {}

int Resident::run() {
    form_.startUp();
    if (form_.unloaded()) {
        // Ended from a message loop of the start-up (a message box): WM_QUIT has already
        // been taken there.
        return 0;
    }
    writeStartupReportWhenAsked(window_, trayIcon_.shown());
    // No handle (-1, also the process's own pseudo-handle) means no requests to watch.
    const WaitHandle::Native native = endRequests_.handle().native();
    const HANDLE endRequested = native == -1 ? nullptr : reinterpret_cast<HANDLE>(native);
    return runMessageLoop(endRequested, [this] {
        endRequests_.take();
        form_.unload(UnloadMode::TaskManager);
    });
}

HWND Resident::settingsView() {
    if (!view_) {
        view_ = std::make_unique<SettingsWindowView>(window_);
        view_->onUserClose = [this] { form_.unload(UnloadMode::UserClose); };
    }
    return view_->hwnd();
}

LifecycleSteps Resident::startUpSteps() {
    return startUpSteps([] { ::PostQuitMessage(0); });
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

int runResident(int& /*argc*/, char** /*argv*/) {
    const std::unique_ptr<Platform> platform = createPlatform();
    const std::unique_ptr<SingleInstance> instance = platform->claimSingleInstance();
    if (const std::optional<int> status = UpdateMachinery::exitStatusUnlessAlone(*instance)) {
        return *status;
    }
    // Before anything else, so that a request to end during the start-up is not lost.
    const std::unique_ptr<EndRequests> endRequests = platform->watchEndRequests();
    MessageLoopWait events(endRequests->handle());
    Resident resident(*platform, *endRequests, events);
    return resident.run();
}

}  // namespace velmora
