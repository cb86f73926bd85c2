#pragma once

#include <windows.h>

#include <functional>

#include "ports/Notifier.h"

namespace velmora {

// A notice as a message box: the text, the program's title, one OK button and no icon.
// Returns when the user has dismissed it; the thread's messages are served meanwhile, so
// the tray icon and the timer go on working.
//
// Each box is owned by the window `owner` names as it opens. An owner is kept from use
// until the box is answered, and an owned box has no taskbar button of its own. A hidden
// owner shows nothing the box could go behind: such a box asks for the foreground and stays
// on top until it is answered.
class WinMessageBoxNotifier final : public Notifier {
  public:
    explicit WinMessageBoxNotifier(std::function<HWND()> owner);

    void showNotice(const std::string& text) override;

  private:
    std::function<HWND()> owner_;
};

}  // namespace velmora
