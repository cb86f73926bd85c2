#pragma once

#include <windows.h>

#include <functional>

#include "tray/ShellWindows.h"
#include "window/WindowControls.h"
#include "winui/WinTrayMenu.h"

namespace velmora {

class WinAboutBoxWindow;

// The windows as the tray and the program's start and end see them: the settings window
// through its toolkit-free form (its view follows), the About box as a box built afresh for
// each opening, and the tray menu.
//
// The settings window's view is asked for only when it is first shown, so that a program
// that stays in the tray never builds it.
class WinShellWindows final : public ShellWindows {
  public:
    // `settingsView` gives the window that shows `settings`, building it on its first call.
    WinShellWindows(Form& settings, std::function<HWND()> settingsView, WinTrayMenu& menu);

    bool settingsVisible() const override;
    void restoreSettings() override;
    void showSettings() override;
    void bringSettingsToFront() override;
    void popUpTrayMenu() override;
    bool aboutBoxVisible() const override;
    void showAboutBoxModal() override;
    void unloadAboutBox() override;

  private:
    Form& settings_;
    std::function<HWND()> settingsView_;
    WinTrayMenu& menu_;
    WinAboutBoxWindow* aboutBox_ = nullptr;
};

}  // namespace velmora
