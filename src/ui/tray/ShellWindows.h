#pragma once

namespace velmora {

// What the tray and the program's start and end need of the windows: the settings window,
// the About box and the tray pop-up menu.
class ShellWindows {
  public:
    virtual ~ShellWindows() = default;

    virtual bool settingsVisible() const = 0;
    // Window state normal: a minimised settings window is restored.
    virtual void restoreSettings() = 0;
    virtual void showSettings() = 0;
    // Brings the settings window to the front and gives it the keyboard focus.
    virtual void bringSettingsToFront() = 0;

    // Opens the tray menu at the pointer; returns when the menu has closed (a command
    // picked from it may already have run).
    virtual void popUpTrayMenu() = 0;

    virtual bool aboutBoxVisible() const = 0;
    // Shows the About box modally, without an owner; returns when it has been closed.
    virtual void showAboutBoxModal() = 0;
    // Closes the About box when it is loaded; does nothing otherwise.
    virtual void unloadAboutBox() = 0;
};

}  // namespace velmora
