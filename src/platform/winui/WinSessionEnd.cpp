#include "winui/WinSessionEnd.h"

#include <utility>

namespace velmora {

SessionEndWatcher::SessionEndWatcher(std::function<void()> onSessionEnd)
    : onSessionEnd_(std::move(onSessionEnd)),
      window_(
          [this](UINT message, WPARAM wParam, LPARAM) { return handleMessage(message, wParam); },
          HandlerWindow::Options{
              .style = WS_POPUP, .exStyle = WS_EX_TOOLWINDOW, .parent = nullptr, .title = {}}) {}

std::optional<LRESULT> SessionEndWatcher::handleMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // FALSE: another program refused, and the session goes on.
            if (wParam != FALSE && onSessionEnd_) {
                onSessionEnd_();
            }
            return 0;
        default:
            return std::nullopt;
    }
}

}  // namespace velmora
