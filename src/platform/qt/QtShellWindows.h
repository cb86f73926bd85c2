#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "qt/QtAboutDialog.h"
#include "qt/QtTrayMenu.h"
#include "tray/ShellWindows.h"
#include "window/WindowControls.h"

namespace velmora {

// The windows as the tray and the program's start and end see them: the settings window
// through its toolkit-free form (its view follows), the About box as a dialog built afresh
// for each opening, and the tray menu.
//
// The settings window's widgets are asked for only when it is first shown, so that a
// program that stays in the tray never builds them (nor loads the fonts they need).
class QtShellWindows final : public ShellWindows {
  public:
    // `settingsView` gives the widget that shows `settings`, building it on its first call.
    QtShellWindows(Form& settings, std::function<QWidget&()> settingsView, QtTrayMenu& menu);

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
    std::function<QWidget&()> settingsView_;
    QtTrayMenu& menu_;
    QPointer<QtAboutDialog> aboutBox_;
};

}  // namespace velmora
