#include "winui/WinTimerDriver.h"

#include <system_error>

#include "win/WinError.h"

namespace velmora {

WinTimerDriver::WinTimerDriver(Timer& timer)
    : timer_(timer),
      window_(
          [this](UINT message, WPARAM wParam, LPARAM) { return handleMessage(message, wParam); },
          HandlerWindow::Options{.style = 0, .exStyle = 0, .parent = HWND_MESSAGE, .title = {}}) {
    subscription_ = timer_.observe([this](ControlProperty property) {
        if (property == ControlProperty::Enabled) {
            followEnabled();
        }
    });
    followEnabled();
}

WinTimerDriver::~WinTimerDriver() {
    ::KillTimer(window_.hwnd(), kTimerId);
}

std::optional<LRESULT> WinTimerDriver::handleMessage(UINT message, WPARAM wParam) {
    if (message != WM_TIMER || wParam != kTimerId) {
        return std::nullopt;
    }
    if (timer_.onTimer) {
        timer_.onTimer();
    }
    return 0;
}

void WinTimerDriver::followEnabled() {
    if (!timer_.enabled()) {
        ::KillTimer(window_.hwnd(), kTimerId);
        return;
    }
    if (::SetTimer(window_.hwnd(), kTimerId, static_cast<UINT>(timer_.intervalMs()), nullptr) ==
        0) {
        throw std::system_error(static_cast<int>(::GetLastError()), winErrorCategory(),
                                "cannot start the minute timer");
    }
}

}  // namespace velmora
