#pragma once

#include <functional>

#include "tray/ShellWindows.h"
#include "tray/TrayMenu.h"

namespace velmora {

// The tray's mouse events, numbered as the window messages they stand for.
enum class TrayMessage : int {
    MouseMove = 512,
    LeftButtonDown = 513,
    LeftButtonUp = 514,
    LeftDoubleClick = 515,
    RightButtonDown = 516,
    RightButtonUp = 517,
    RightDoubleClick = 518,
};

// Decides what a tray event or a tray menu command does to the windows. Exit is handed to
// `unloadMainForm`, the one path by which the program ends.
class TrayIconLogic {
  public:
    TrayIconLogic(ShellWindows& windows, std::function<void()> unloadMainForm);

    // With the settings window shown, a left or right press brings it to the front; with
    // it hidden, a double-click shows it (not while the About box is up) and a right press
    // opens the menu. Everything else is ignored.
    void onTrayMessage(TrayMessage message);

    void onMenuCommand(TrayCommand command);
    void onAboutChosen();
    void onSettingsChosen();
    void onExitChosen();

  private:
    void bringSettingsForward();

    ShellWindows& windows_;
    std::function<void()> unloadMainForm_;
};

}  // namespace velmora
