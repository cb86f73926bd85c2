#pragma once

#include <windows.h>

#include <optional>

#include "window/WindowControls.h"
#include "winui/WinHandlerWindow.h"

namespace velmora {

// Makes a toolkit-free Timer tick: a Win32 timer with the control's interval runs while the
// control is enabled, and each WM_TIMER runs the control's onTimer. The timer belongs to a
// message-only window of its own.
class WinTimerDriver final {
  public:
    explicit WinTimerDriver(Timer& timer);
    ~WinTimerDriver();
    WinTimerDriver(const WinTimerDriver&) = delete;
    WinTimerDriver& operator=(const WinTimerDriver&) = delete;

    HWND hwnd() const { return window_.hwnd(); }
    static constexpr UINT_PTR kTimerId = 1;

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam);
    void followEnabled();

    Timer& timer_;
    HandlerWindow window_;
    Subscription subscription_;
};

}  // namespace velmora
