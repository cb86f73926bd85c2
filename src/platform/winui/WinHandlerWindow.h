#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "winui/WinProgramIcon.h"

namespace velmora {

// A window of the program's own class whose messages go to a handler; what the handler
// leaves (std::nullopt) gets Windows' default handling, except WM_CLOSE: that goes to the
// thread's CloseRequests, and never destroys the window. A window with a title bar shows
// the program's icon at its monitor's density, and again at a new one (WM_DPICHANGED).
// Destroyed with its object; the handler is no longer called from the moment destruction
// begins.
class HandlerWindow {
  public:
    using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)>;

    struct Options {
        DWORD style = WS_POPUP;  // hidden unless WS_VISIBLE is given
        DWORD exStyle = 0;
        HWND parent = nullptr;  // HWND_MESSAGE for a window that only receives messages
        std::wstring title;
    };

    // Created where Windows places new windows.
    HandlerWindow(Handler handler, const Options& options);
    // Created at `place`, in screen pixels, and so at the density of the monitor there.
    HandlerWindow(Handler handler, const Options& options, const RECT& place);
    ~HandlerWindow();
    HandlerWindow(const HandlerWindow&) = delete;
    HandlerWindow& operator=(const HandlerWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

  private:
    HandlerWindow(Handler handler, const Options& options, const std::optional<RECT>& place);
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    bool showsIcons_;
    WindowIcons icons_;  // before the window, which borrows them
    HWND hwnd_ = nullptr;
};

// WM_CLOSE is how other programs ask a program to end (taskkill without /F, an installer, a
// script), to whichever of its top-level windows they find. The user's own close box, system
// menu and Alt+F4 come as WM_SYSCOMMAND SC_CLOSE first, which a window the user may close
// handles itself. While an object of this class lives, the WM_CLOSE that a HandlerWindow of
// its thread leaves runs `onRequest`; without one it is ignored.
class CloseRequests {
  public:
    explicit CloseRequests(std::function<void()> onRequest);
    ~CloseRequests();
    CloseRequests(const CloseRequests&) = delete;
    CloseRequests& operator=(const CloseRequests&) = delete;

    // Hands a WM_CLOSE to the thread's requests, if any.
    static void deliver();

  private:
    std::function<void()> onRequest_;
    CloseRequests* previous_;
};

}  // namespace velmora
