#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "tray/NotifyIcon.h"
#include "tray/ShellWindows.h"
#include "update/LatestPackage.h"
#include "window/SettingsWindow.h"

namespace velmora {

// Why the settings window is being unloaded.
enum class UnloadMode : std::int16_t {
    UserClose = 0,    // close box, system menu, Alt+F4
    Code = 1,         // the tray menu's exit item
    SessionEnd = 2,   // the desktop session is logging off or shutting down
    TaskManager = 3,  // asked to end from outside (SIGTERM)
};

// What the start-up of the settings window needs beyond the window itself.
struct LifecycleSteps {
    std::function<void()> resetTickCounter;
    // The installed definitions version, "" when none.
    std::function<std::string()> installedDefinitions;
    // The hash-list lookup of the stored flavour's newest package, shown in
    // latestPackageLabel when found.
    std::function<std::optional<PublishedPackage>(bool showBox, bool writeToLog)> findLatestPackage;
    // Ends the event loop, and with it the program.
    std::function<void()> endProgram;
};

// The program's start, resident life and end, as events of the settings window:
// loading it hidden with the icon in the tray, hiding it on minimise, keeping it on a
// close from the title bar, and one unload path for every way the program ends.
class Lifecycle {
  public:
    Lifecycle(SettingsWindow& window, NotifyIcon& notifyIcon, ShellWindows& windows,
              LifecycleSteps steps);
    Lifecycle(const Lifecycle&) = delete;
    Lifecycle& operator=(const Lifecycle&) = delete;

    // Hidden, tick counter 0, tray icon, vendorFrame captioned with the package base URL,
    // the installed version, the stored settings, and one look at the hash list whose
    // failure goes to the log whatever the logging option says.
    void startUp();
    // A minimised window is hidden.
    void onResized();
    // True (cancel) for a close from the title bar, which discards the edits and hides the
    // window instead; every other unload goes ahead.
    bool mayUnload(UnloadMode mode);
    // Icon removed, About box unloaded, event loop ended. Runs once; nothing is saved or
    // logged.
    void finishUnload();

    // Asks to unload: mayUnload, then finishUnload unless cancelled.
    void unload(UnloadMode mode);
    bool unloaded() const { return unloaded_; }

  private:
    SettingsWindow& window_;
    NotifyIcon& notifyIcon_;
    ShellWindows& windows_;
    LifecycleSteps steps_;
    Subscription windowStateSubscription_;
    bool unloaded_ = false;
};

}  // namespace velmora
