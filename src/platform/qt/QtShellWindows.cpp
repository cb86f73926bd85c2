#include "qt/QtShellWindows.h"

#include <utility>

namespace velmora {

QtShellWindows::QtShellWindows(Form& settings, std::function<QWidget&()> settingsView,
                               QtTrayMenu& menu)
    : settings_(settings), settingsView_(std::move(settingsView)), menu_(menu) {}

bool QtShellWindows::settingsVisible() const {
    return settings_.visible();
}

void QtShellWindows::restoreSettings() {
    settings_.setWindowState(WindowState::Normal);
}

void QtShellWindows::showSettings() {
    settingsView_();  // built before the form shows, so that it follows the change
    settings_.setVisible(true);
}

void QtShellWindows::bringSettingsToFront() {
    QWidget& view = settingsView_();
    view.raise();
    view.activateWindow();
}

void QtShellWindows::popUpTrayMenu() {
    menu_.popUpAtPointer();
}

bool QtShellWindows::aboutBoxVisible() const {
    return aboutBox_ != nullptr && aboutBox_->isVisible();
}

void QtShellWindows::showAboutBoxModal() {
    QtAboutDialog box;
    aboutBox_ = &box;
    // Modal to no window: the tray command still waits for the box, but no other window is
    // blocked. Modal to the whole program it would block the tray icon's own window too (the
    // X11 tray embeds one), and with it the menu and its exit.
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

void QtShellWindows::unloadAboutBox() {
    if (aboutBox_ != nullptr) {
        aboutBox_->reject();
    }
}

}  // namespace velmora
