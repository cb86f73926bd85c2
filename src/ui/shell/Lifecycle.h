#pragma once

#include <optional>
#include <string>

#include "shell/UnloadMode.h"
#include "tray/NotifyIcon.h"
#include "tray/ShellWindows.h"
#include "update/LatestPackage.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindow.h"

namespace velmora {

// What the start-up and the end of the settings window do beyond the window itself.
class LifecycleSteps {
  public:
    virtual ~LifecycleSteps() = default;
    virtual void resetTickCounter() = 0;
    // The installed definitions version, "" when none.
    virtual std::string installedDefinitions() = 0;
    // The hash-list look-up of the stored flavour's newest package, shown in
    // latestPackageLabel when found.
    virtual std::optional<PublishedPackage> findLatestPackage(bool showBox, bool writeToLog) = 0;
    // Ends the event loop, and with it the program.
    virtual void endProgram() = 0;
    // Where the hash list and the packages come from: the vendor, unless an administrator's
    // policy names a mirror.
    virtual UpdateSource updateSource() { return vendorSource(); }
};

// The program's start, resident life and end, as events of the settings window:
// loading it hidden with the icon in the tray, hiding it on minimise, keeping it on a
// close from the title bar, and one unload path for every way the program ends.
class Lifecycle {
  public:
    Lifecycle(SettingsWindow& window, NotifyIcon& notifyIcon, ShellWindows& windows,
              LifecycleSteps& steps);
    Lifecycle(const Lifecycle&) = delete;
    Lifecycle& operator=(const Lifecycle&) = delete;

    // Hidden, tick counter 0, tray icon, vendorFrame captioned with the package base URL of
    // the update source,
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
    LifecycleSteps& steps_;
    Subscription windowStateSubscription_;
    bool unloaded_ = false;
};

}  // namespace velmora
