#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ShellWindows.h"
#include "platform/qt/AboutDialog.h"
#include "platform/qt/TrayMenu.h"
#include "settings/WindowControls.h"

namespace velmora {

// The windows as the tray and the program's start and end see them: the settings window
// through its toolkit-free form (its view follows), the About box as a dialog built afresh
// for each opening, and the tray menu.
class QtShellWindows final : public ShellWindows {
  public:
    // `settingsView` is the widget that shows `settings`.
    QtShellWindows(Form& settings, QWidget& settingsView, TrayMenu& menu);

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
    QWidget& settingsView_;
    TrayMenu& menu_;
    QPointer<AboutDialog> aboutBox_;
};

}  // namespace velmora
