#pragma once

#include <windows.h>

namespace velmora {

// An ordinary window that takes the dialog keys (Tab, arrows in a group, Enter, Esc and the
// access keys) through IsDialogMessageW: while this lives, every message loop of the
// program that dispatches with dispatchMessage hands it the messages of the window and of
// its controls first.
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

}  // namespace velmora
