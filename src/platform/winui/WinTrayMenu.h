#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "tray/TrayMenu.h"

namespace velmora {

// The tray pop-up menu as a Win32 pop-up menu; picking an item hands its command on.
class WinTrayMenu final {
  public:
    // `owner` receives the menu's messages: the tray icon's hidden window.
    WinTrayMenu(HWND owner, std::function<void(TrayCommand)> onCommand);
    ~WinTrayMenu();
    WinTrayMenu(const WinTrayMenu&) = delete;
    WinTrayMenu& operator=(const WinTrayMenu&) = delete;

    // Opens the menu at the pointer and returns when it has closed, after the picked
    // item's command has run.
    void popUpAtPointer();

    HMENU menu() const { return menu_; }
    // The command of a menu item's identifier.
    static std::optional<TrayCommand> commandOf(UINT itemId);

  private:
    HWND owner_;
    std::function<void(TrayCommand)> onCommand_;
    HMENU menu_;
};

}  // namespace velmora
