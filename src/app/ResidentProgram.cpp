#include "ResidentProgram.h"

#include <memory>
#include <optional>

#include "UpdateMachinery.h"
#include "log/EventLog.h"
#include "ports/Platform.h"
#include "settings/PolicyReader.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "shell/Desktop.h"
#include "shell/Lifecycle.h"
#include "shell/StartupReport.h"
#include "shell/UpdateScheduler.h"
#include "tray/NotifyIcon.h"
#include "tray/TrayIconLogic.h"
#include "update/SettingsForRun.h"
#include "window/SettingsWindow.h"

namespace velmora {

namespace {

// The resident program's parts, in the order they are made (and the reverse order in which
// they go): the desktop before everything that shows on it, the settings window before its
// surface, the update run before the events that start it.
class ResidentProgram final : private DesktopEvents, private LifecycleSteps {
  public:
    ResidentProgram(Platform& platform, int& argc, char** argv, EndRequests& endRequests)
        : platform_(platform), desktop_(createDesktop(argc, argv, endRequests, *this)) {}
    ResidentProgram(const ResidentProgram&) = delete;
    ResidentProgram& operator=(const ResidentProgram&) = delete;

    // startUp, then the event loop until the program is unloaded.
    int run() {
        form_.startUp();
        if (form_.unloaded()) {
            // Ended from an event loop of the start-up (a message box): a new main loop
            // would no longer notice that the program has been asked to quit.
            return 0;
        }
#ifdef VELMORA_STARTUP_REPORT_HOOK
        writeStartupReportWhenAsked(window_, shell_->trayIconShown());
#endif
        return desktop_->runEventLoop();
    }

  private:
    void onTrayMessage(TrayMessage message) override {
        trayLogic_.onTrayMessage(message);
    }
    void onTrayCommand(TrayCommand command) override {
        trayLogic_.onMenuCommand(command);
    }
    void onUnloadRequested(UnloadMode mode) override {
        form_.unload(mode);
    }

    void resetTickCounter() override {
        scheduler_.resetTickCounter();
    }
    std::string installedDefinitions() override {
        return update_.service.installedVersion();
    }
    std::optional<PublishedPackage> findLatestPackage(bool showBox, bool writeToLog) override {
        return update_.service.lookUpNewest(settings_.load().settings.flavour, updateSource(),
                                            showBox, writeToLog);
    }
    UpdateSource updateSource() override {
        return updateSourceFor(policies_);
    }
    void endProgram() override {
        desktop_->endEventLoop();
    }

    Platform& platform_;
    std::unique_ptr<Desktop> desktop_;
    EventLog log_{platform_.logDestinations(), desktop_->messageBoxes(), platform_.localClock()};
    Reg reg_{platform_.registry(), log_};
    // Read once: a policy changed while the program runs applies from its next start.
    Policies policies_ = readPolicies(platform_.policyStore(), log_);
    RegistrySettings settings_{
        reg_, platform_.autostart(),
        startupEntryFor(platform_.executable().path, platform_.executable().exeName), policies_};
    SettingsWindow window_{settings_};
    UpdateMachinery update_{platform_, reg_, log_, desktop_->waits(), ProgressDisplay::Never};
    UpdateScheduler scheduler_{window_, settings_, update_.service, log_};
    std::unique_ptr<DesktopShell> shell_{desktop_->showOn(window_)};
    NotifyIcon notifyIcon_{shell_->trayIcon(), log_};
    Lifecycle form_{window_, notifyIcon_, shell_->windows(), *this};
    TrayIconLogic trayLogic_{shell_->windows(), [this] { form_.unload(UnloadMode::Code); }};
};

}  // namespace

int runResident(int& argc, char** argv) {
    const std::unique_ptr<Platform> platform = createPlatform();
    const std::unique_ptr<SingleInstance> instance = platform->claimSingleInstance();
    if (const std::optional<int> status = UpdateMachinery::exitStatusUnlessAlone(*instance)) {
        return *status;
    }
    // Before anything else, so that a request to end during the start-up is not lost.
    const std::unique_ptr<EndRequests> endRequests = platform->watchEndRequests();
    ResidentProgram program(*platform, argc, argv, *endRequests);
    return program.run();
}

}  // namespace velmora
