#include "winui/WinTrayIcon.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <utility>

#include "win/WinText.h"
#include "winui/WinWindowFont.h"

namespace velmora {

namespace {

constexpr UINT kIconId = 1;

}  // namespace

std::optional<TrayMessage> trayMessageFor(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            return TrayMessage::LeftButtonDown;
        case WM_LBUTTONDBLCLK:
            return TrayMessage::LeftDoubleClick;
        case WM_RBUTTONDOWN:
            return TrayMessage::RightButtonDown;
        default:
            return std::nullopt;
    }
}

WinTrayIcon::WinTrayIcon(std::function<void(TrayMessage)> onMessage)
    : onMessage_(std::move(onMessage)),
      taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")),
      // A top-level window, never shown: the taskbar's announcement is broadcast to those
      // only.
      window_([this](UINT message, WPARAM wParam,
                     LPARAM lParam) { return handleMessage(message, wParam, lParam); },
              HandlerWindow::Options{
                  .style = WS_POPUP, .exStyle = WS_EX_TOOLWINDOW, .parent = nullptr, .title = {}}) {
}

WinTrayIcon::~WinTrayIcon() {
    remove();
}

bool WinTrayIcon::add(const std::string& tip) {
    tip_ = widen(tip);
    followDensity(windowDotsPerInch(window_.hwnd()));
    // Kept even when the shell refuses it now: a taskbar that appears later gets it.
    added_ = true;
    return notify(NIM_ADD);
}

bool WinTrayIcon::remove() {
    if (!added_) {
        return false;
    }
    added_ = false;
    return notify(NIM_DELETE);
}

bool WinTrayIcon::notify(DWORD change) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window_.hwnd();
    icon.uID = kIconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kCallbackMessage;
    icon.hIcon = icon_.get();
    ::lstrcpynW(icon.szTip, tip_.c_str(), static_cast<int>(std::size(icon.szTip)));
    const bool done = ::Shell_NotifyIconW(change, &icon) != FALSE;
    shown_ = change == NIM_DELETE ? shown_ && !done : done;
    return done;
}

std::optional<LRESULT> WinTrayIcon::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        if (const auto tray = trayMessageFor(static_cast<UINT>(lParam)); tray && onMessage_) {
            onMessage_(*tray);
        }
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer has started again, without the icons it showed before; a change of scale
        // can be what restarted it.
        if (added_) {
            followDensity(windowDotsPerInch(window_.hwnd()));
            notify(NIM_ADD);
        }
        return 0;
    }
    switch (message) {
        case WM_DPICHANGED:
            followDensity(LOWORD(wParam) != 0 ? LOWORD(wParam) : windowDotsPerInch(window_.hwnd()));
            return 0;
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
            // Windows announces a change of scale or of the displays to every top-level
            // window, hidden ones too, which do not always get WM_DPICHANGED.
            followDensity(windowDotsPerInch(window_.hwnd()));
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

void WinTrayIcon::followDensity(int dotsPerInch) {
    const int side = smallIconSide(dotsPerInch);
    if (side == iconSide_ && icon_.get() != nullptr) {
        return;
    }
    // The image shown now goes once the notification area has the new one.
    const UniqueIcon previous = std::exchange(icon_, loadProgramIcon(side));
    iconSide_ = side;
    if (added_ && !notify(NIM_MODIFY)) {
        notify(NIM_ADD);  // the notification area no longer had it
    }
}

}  // namespace velmora
