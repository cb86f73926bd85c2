#include "tray/TrayIconLogic.h"

#include <utility>

namespace velmora {

TrayIconLogic::TrayIconLogic(ShellWindows& windows, std::function<void()> unloadMainForm)
    : windows_(windows), unloadMainForm_(std::move(unloadMainForm)) {}

void TrayIconLogic::onTrayMessage(TrayMessage message) {
    const bool settingsShown = windows_.settingsVisible();
    switch (message) {
        case TrayMessage::LeftButtonDown:
            if (settingsShown) {
                bringSettingsForward();
            }
            break;
        case TrayMessage::LeftDoubleClick:
            if (!settingsShown && !windows_.aboutBoxVisible()) {
                windows_.restoreSettings();
                windows_.showSettings();
                windows_.bringSettingsToFront();
            }
            break;
        case TrayMessage::RightButtonDown:
            if (settingsShown) {
                bringSettingsForward();
            } else {
                windows_.popUpTrayMenu();
            }
            break;
        default:
            break;
    }
}

void TrayIconLogic::onMenuCommand(TrayCommand command) {
    switch (command) {
        case TrayCommand::About:
            onAboutChosen();
            break;
        case TrayCommand::Config:
            onSettingsChosen();
            break;
        case TrayCommand::Exit:
            onExitChosen();
            break;
        case TrayCommand::Separator:
            break;
    }
}

void TrayIconLogic::onAboutChosen() {
    // The box is modal, but the tray still reaches the program while it is up: a second
    // box on top of the first would only stack up nested event loops.
    if (windows_.aboutBoxVisible()) {
        return;
    }
    windows_.showAboutBoxModal();
}

void TrayIconLogic::onSettingsChosen() {
    windows_.restoreSettings();
    windows_.showSettings();
}

void TrayIconLogic::onExitChosen() {
    unloadMainForm_();
}

void TrayIconLogic::bringSettingsForward() {
    windows_.restoreSettings();
    windows_.bringSettingsToFront();
}

}  // namespace velmora
