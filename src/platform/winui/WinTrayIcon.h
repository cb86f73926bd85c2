#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "tray/TrayIcon.h"
#include "tray/TrayIconLogic.h"
#include "winui/WinHandlerWindow.h"

namespace velmora {

// Left press, left double-click and right press, as the icon's callback reports them;
// nothing for the other mouse messages.
std::optional<TrayMessage> trayMessageFor(UINT mouseMessage);

// The notification-area icon through Shell_NotifyIconW, with the program's icon, owned by a
// hidden window of its own that receives the icon's mouse messages. Its left press, left
// double-click and right press are passed on as tray messages. When Explorer restarts it
// announces a new taskbar, and an icon that was added is put back.
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
    static constexpr UINT kCallbackMessage = WM_APP + 1;

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool notify(DWORD change);

    std::function<void(TrayMessage)> onMessage_;
    UINT taskbarCreated_;
    std::wstring tip_;
    bool added_ = false;
    bool shown_ = false;
    HandlerWindow window_;
};

}  // namespace velmora
