#include "winui/WinTrayIcon.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <utility>

#include "win/WinText.h"
#include "winui/WinProgramIcon.h"

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
    icon.hIcon = programIcon(IconSize::Small);
    ::lstrcpynW(icon.szTip, tip_.c_str(), static_cast<int>(std::size(icon.szTip)));
    const bool done = ::Shell_NotifyIconW(change, &icon) != FALSE;
    shown_ = change == NIM_ADD ? done : shown_ && !done;
    return done;
}

std::optional<LRESULT> WinTrayIcon::handleMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message == kCallbackMessage) {
        if (const auto tray = trayMessageFor(static_cast<UINT>(lParam)); tray && onMessage_) {
            onMessage_(*tray);
        }
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer has started again, without the icons it showed before.
        if (added_) {
            notify(NIM_ADD);
        }
        return 0;
    }
    return std::nullopt;
}

}  // namespace velmora
