#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace velmora {

// A window of the program's own class whose messages go to a handler; what the handler
// leaves (std::nullopt) gets Windows' default handling. Destroyed with its object; the
// handler is no longer called from the moment destruction begins.
class HandlerWindow {
  public:
    using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)>;

    struct Options {
        DWORD style = WS_POPUP;  // hidden unless WS_VISIBLE is given
        DWORD exStyle = 0;
        HWND parent = nullptr;  // HWND_MESSAGE for a window that only receives messages
        std::wstring title;
    };

    HandlerWindow(Handler handler, const Options& options);
    ~HandlerWindow();
    HandlerWindow(const HandlerWindow&) = delete;
    HandlerWindow& operator=(const HandlerWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace velmora
