#include "platform/qt/QtShellWindows.h"

namespace velmora {

QtShellWindows::QtShellWindows(Form& settings, QWidget& settingsView, TrayMenu& menu)
    : settings_(settings), settingsView_(settingsView), menu_(menu) {}

bool QtShellWindows::settingsVisible() const {
    return settings_.visible();
}

void QtShellWindows::restoreSettings() {
    settings_.setWindowState(WindowState::Normal);
}

void QtShellWindows::showSettings() {
    settings_.setVisible(true);
}

void QtShellWindows::bringSettingsToFront() {
    settingsView_.raise();
    settingsView_.activateWindow();
}

void QtShellWindows::popUpTrayMenu() {
    menu_.popUpAtPointer();
}

bool QtShellWindows::aboutBoxVisible() const {
    return aboutBox_ != nullptr && aboutBox_->isVisible();
}

void QtShellWindows::showAboutBoxModal() {
    AboutDialog box;
    aboutBox_ = &box;
    box.exec();
}

void QtShellWindows::unloadAboutBox() {
    if (aboutBox_ != nullptr) {
        aboutBox_->reject();
    }
}

}  // namespace velmora
