#include "winui/WinShellWindows.h"

#include <utility>

#include "winui/WinAboutBoxWindow.h"

namespace velmora {

WinShellWindows::WinShellWindows(Form& settings, std::function<HWND()> settingsView,
                                 WinTrayMenu& menu)
    : settings_(settings), settingsView_(std::move(settingsView)), menu_(menu) {}

bool WinShellWindows::settingsVisible() const {
    return settings_.visible();
}

void WinShellWindows::restoreSettings() {
    settings_.setWindowState(WindowState::Normal);
}

void WinShellWindows::showSettings() {
    settingsView_();  // built before the form shows, so that it follows the change
    settings_.setVisible(true);
}

void WinShellWindows::bringSettingsToFront() {
    HWND view = settingsView_();
    ::SetForegroundWindow(view);
}

void WinShellWindows::popUpTrayMenu() {
    menu_.popUpAtPointer();
}

bool WinShellWindows::aboutBoxVisible() const {
    return aboutBox_ != nullptr && aboutBox_->visible();
}

void WinShellWindows::showAboutBoxModal() {
    WinAboutBoxWindow box;
    aboutBox_ = &box;
    box.showModal();
    aboutBox_ = nullptr;
}

void WinShellWindows::unloadAboutBox() {
    if (aboutBox_ != nullptr) {
        aboutBox_->close();
    }
}

}  // namespace velmora
