#pragma once

#include <memory>

#include "ports/EndRequests.h"
#include "ports/EventLoopWait.h"
#include "ports/Notifier.h"
#include "shell/UnloadMode.h"
#include "tray/ShellWindows.h"
#include "tray/TrayIcon.h"
#include "tray/TrayIconLogic.h"
#include "tray/TrayMenu.h"
#include "window/SettingsWindow.h"

namespace velmora {

// What happens on the desktop that the resident program acts on.
class DesktopEvents {
  public:
    virtual ~DesktopEvents() = default;
    virtual void onTrayMessage(TrayMessage message) = 0;
    virtual void onTrayCommand(TrayCommand command) = 0;
    // The program is asked to end (the end of the session, another program's request, a
    // signal), or the user closed the settings window from its title bar (UserClose).
    virtual void onUnloadRequested(UnloadMode mode) = 0;
};

// What the program shows on the desktop for its settings window: the tray icon, the
// settings window's view, the About box and the tray menu, and the ticks of the window's
// minute timer.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    virtual TrayIcon& trayIcon() = 0;
    virtual ShellWindows& windows() = 0;
    // Whether the notification area holds the icon now.
    virtual bool trayIconShown() const = 0;
};

// The desktop toolkit the resident program runs on: Qt Widgets on Linux, Win32 on Windows.
class Desktop {
  public:
    virtual ~Desktop() = default;

    // Notices as modal message boxes.
    virtual Notifier& messageBoxes() = 0;
    // The waits of a download, the checks and the installer: the desktop's events are
    // served meanwhile, and a request to end the program ends them.
    virtual EventLoopWait& waits() = 0;
    // The surface for `window`; it goes before the window does.
    virtual std::unique_ptr<DesktopShell> showOn(SettingsWindow& window) = 0;
    // Runs the event loop until endEventLoop(); gives the program's exit status.
    virtual int runEventLoop() = 0;
    virtual void endEventLoop() = 0;
};

// This system's desktop, telling `events` what happens on it, among which the requests to
// end that `endRequests` turns into a handle; defined by the toolkit's target.
std::unique_ptr<Desktop> createDesktop(int& argc, char** argv, EndRequests& endRequests,
                                       DesktopEvents& events);

}  // namespace velmora
