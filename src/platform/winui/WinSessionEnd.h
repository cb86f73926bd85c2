#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "winui/WinHandlerWindow.h"

namespace velmora {

// The end of the Windows session (log-off, shut-down, restart) as a hidden top-level
// window sees it: it never objects, and once the session does end `onSessionEnd` runs,
// before Windows may end the process. The Restart Manager closes a program for an installer
// with the same two messages (ENDSESSION_CLOSEAPP), and the program must end then too.
class SessionEndWatcher final {
  public:
    explicit SessionEndWatcher(std::function<void()> onSessionEnd);

    HWND hwnd() const { return window_.hwnd(); }

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam);

    std::function<void()> onSessionEnd_;
    HandlerWindow window_;
};

}  // namespace velmora
