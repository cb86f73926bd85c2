#pragma once

#include <functional>
#include <memory>

#include "shell/Desktop.h"
#include "win/MessageLoopWait.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageBoxNotifier.h"
#include "winui/WinSessionEnd.h"

namespace velmora {

// The desktop through Win32: message boxes, the message loop (with the end requests of the
// console or the session as a handle it watches), its waits, and the ways Windows asks a
// program to end: the end of the session or the Restart Manager (WM_ENDSESSION), and another
// program's WM_CLOSE to any of its windows (taskkill, an installer). A message box is owned
// by the settings window while that is shown, else by a hidden window of the program (the
// tray icon's while the program shows one), so that no box gets a taskbar button of its own.
class WinDesktop final : public Desktop {
  public:
    WinDesktop(EndRequests& endRequests, DesktopEvents& events);

    Notifier& messageBoxes() override { return messageBoxes_; }
    EventLoopWait& waits() override { return waits_; }
    std::unique_ptr<DesktopShell> showOn(SettingsWindow& window) override;
    int runEventLoop() override;
    void endEventLoop() override;

  private:
    HWND messageBoxOwner() const;

    EndRequests& endRequests_;
    DesktopEvents& events_;
    WinMessageBoxNotifier messageBoxes_;
    MessageLoopWait waits_;
    SessionEndWatcher sessionEnd_;
    CloseRequests closeRequests_;
    // Set by the surface shown now: the owner it gives message boxes.
    std::function<HWND()> shellBoxOwner_;
};

}  // namespace velmora
