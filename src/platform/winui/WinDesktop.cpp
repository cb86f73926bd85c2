#include "winui/WinDesktop.h"

#include "winui/WinMessageLoop.h"
#include "winui/WinSettingsWindowView.h"
#include "winui/WinShellWindows.h"
#include "winui/WinTimerDriver.h"
#include "winui/WinTrayIcon.h"
#include "winui/WinTrayMenu.h"

namespace velmora {

namespace {

// The tray icon, its menu, the settings window's view (built when the window is first shown,
// so that a program that stays in the tray never builds it), the About box and the minute
// timer. While it lives, `boxOwner` names the owner of message boxes.
class WinDesktopShell final : public DesktopShell {
  public:
    WinDesktopShell(SettingsWindow& window, DesktopEvents& events, std::function<HWND()>& boxOwner)
        : window_(window), events_(events), boxOwner_(boxOwner) {
        boxOwner_ = [this] { return messageBoxOwner(); };
    }
    ~WinDesktopShell() override { boxOwner_ = nullptr; }
    WinDesktopShell(const WinDesktopShell&) = delete;
    WinDesktopShell& operator=(const WinDesktopShell&) = delete;

    TrayIcon& trayIcon() override { return trayIcon_; }
    ShellWindows& windows() override { return windows_; }
    bool trayIconShown() const override { return trayIcon_.shown(); }

  private:
    HWND settingsView() {
        if (!view_) {
            view_ = std::make_unique<WinSettingsWindowView>(window_);
            view_->onUserClose = [this] { events_.onUnloadRequested(UnloadMode::UserClose); };
        }
        return view_->hwnd();
    }

    // The settings window while it is shown, which the box then keeps from use; else the
    // tray icon's hidden window.
    HWND messageBoxOwner() const {
        if (view_ && ::IsWindowVisible(view_->hwnd())) {
            return view_->hwnd();
        }
        return trayIcon_.hwnd();
    }

    SettingsWindow& window_;
    DesktopEvents& events_;
    std::function<HWND()>& boxOwner_;
    std::unique_ptr<WinSettingsWindowView> view_;
    WinTimerDriver minuteTimer_{window_.minuteTimer};
    WinTrayIcon trayIcon_{[this](TrayMessage message) { events_.onTrayMessage(message); }};
    WinTrayMenu menu_{trayIcon_.hwnd(),
                      [this](TrayCommand command) { events_.onTrayCommand(command); }};
    WinShellWindows windows_{window_, [this] { return settingsView(); }, menu_};
};

}  // namespace

WinDesktop::WinDesktop(EndRequests& endRequests, DesktopEvents& events)
    : endRequests_(endRequests),
      events_(events),
      messageBoxes_([this] { return messageBoxOwner(); }),
      waits_(endRequests.handle()),
      // The end of the session or the Restart Manager: the same unload as the menu's exit,
      // not the close box's.
      sessionEnd_([this] { events_.onUnloadRequested(UnloadMode::SessionEnd); }),
      closeRequests_([this] { events_.onUnloadRequested(UnloadMode::TaskManager); }) {}

std::unique_ptr<DesktopShell> WinDesktop::showOn(SettingsWindow& window) {
    return std::make_unique<WinDesktopShell>(window, events_, shellBoxOwner_);
}

HWND WinDesktop::messageBoxOwner() const {
    // Before the tray icon is up (a report of the start-up) the end-of-session window, hidden
    // too, stands in for it.
    return shellBoxOwner_ ? shellBoxOwner_() : sessionEnd_.hwnd();
}

int WinDesktop::runEventLoop() {
    // When the Restart Manager has closed the program for an installer, Windows starts it
    // again afterwards; never after a crash, a hang or a restart of the computer, which the
    // start-up entry covers.
    ::RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
    // No handle (-1, also the process's own pseudo-handle) means no requests to watch.
    const WaitHandle::Native native = endRequests_.handle().native();
    const HANDLE endRequested = native == -1 ? nullptr : reinterpret_cast<HANDLE>(native);
    return runMessageLoop(endRequested, [this] {
        endRequests_.take();
        events_.onUnloadRequested(UnloadMode::TaskManager);
    });
}

void WinDesktop::endEventLoop() {
    ::PostQuitMessage(0);
}

std::unique_ptr<Desktop> createDesktop(int& /*argc*/, char** /*argv*/, EndRequests& endRequests,
                                       DesktopEvents& events) {
    return std::make_unique<WinDesktop>(endRequests, events);
}

}  // namespace velmora
