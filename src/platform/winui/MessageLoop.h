#pragma once

#include <windows.h>

#include <functional>

namespace velmora {

// An ordinary window that takes the dialog keys (Tab, arrows in a group, Enter, Esc and the
// access keys) through IsDialogMessageW: while this lives, the message loops below hand it
// the messages of the window and of its controls first.
class DialogKeys {
  public:
    explicit DialogKeys(HWND window);
    ~DialogKeys();
    DialogKeys(const DialogKeys&) = delete;
    DialogKeys& operator=(const DialogKeys&) = delete;

  private:
    HWND window_;
};

// Gives one message to the dialog keys of its window, else translates and dispatches it.
void dispatchMessage(MSG& message);

// Serves the thread's messages until `done` is true. False when WM_QUIT came first; it is
// posted again so that the outer loop ends too.
bool serveMessagesUntil(const std::function<bool()>& done);

// The program's own loop: serves messages until WM_QUIT and returns its exit code. While
// `event` (when not null) is signalled, `onSignalled` runs; it must reset what signals it.
int runMessageLoop(HANDLE event, const std::function<void()>& onSignalled);

}  // namespace velmora
