#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "tray/TrayIcon.h"
#include "tray/TrayIconLogic.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinProgramIcon.h"

namespace velmora {

// Left press, left double-click and right press, as the icon's callback reports them;
// nothing for the other mouse messages.
std::optional<TrayMessage> trayMessageFor(UINT mouseMessage);

// The notification-area icon through Shell_NotifyIconW, with the program's icon, owned by a
// hidden window of its own that receives the icon's mouse messages. Its left press, left
// double-click and right press are passed on as tray messages. When Explorer restarts it
// announces a new taskbar, and an icon that was added is put back. The icon is loaded at
// the small-icon size of the hidden window's monitor, the primary one, where the taskbar
// keeps the notification area, and loaded again when that monitor's density changes.
class WinTrayIcon final : public TrayIcon {
  public:
    explicit WinTrayIcon(std::function<void(TrayMessage)> onMessage);
    ~WinTrayIcon() override;
    WinTrayIcon(const WinTrayIcon&) = delete;
    WinTrayIcon& operator=(const WinTrayIcon&) = delete;

    bool add(const std::string& tip) override;
    bool remove() override;

    // Whether the notification area holds the icon now.
    bool shown() const { return shown_; }

    // The window the icon's messages go to; the tray menu is owned by it.
    HWND hwnd() const { return window_.hwnd(); }
    // The image the notification area is given; none before the icon is first added.
    HICON icon() const { return icon_.get(); }
    static constexpr UINT kCallbackMessage = WM_APP + 1;

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool notify(DWORD change);
    // Loads the icon for `dotsPerInch` when its size differs there, and shows the new one.
    void followDensity(int dotsPerInch);

    std::function<void(TrayMessage)> onMessage_;
    UINT taskbarCreated_;
    std::wstring tip_;
    bool added_ = false;
    bool shown_ = false;
    int iconSide_ = 0;
    UniqueIcon icon_;
    HandlerWindow window_;
};

}  // namespace velmora
