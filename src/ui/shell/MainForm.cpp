#include "shell/MainForm.h"

#include <utility>

#include "settings/AppTitle.h"
#include "update/VendorUrls.h"

namespace velmora {

MainForm::MainForm(MainWindow& window, NotifyIcon& notifyIcon, ShellWindows& windows,
                   MainFormSteps steps)
    : window_(window), notifyIcon_(notifyIcon), windows_(windows), steps_(std::move(steps)) {
    windowStateSubscription_ = window_.observe([this](ControlProperty property) {
        if (property == ControlProperty::WindowState) {
            Form_Resize();
        }
    });
}

void MainForm::Form_Load() {
    window_.setVisible(false);
    // The tray menu is never a menu bar of the window: there is nothing to hide.
    steps_.resetTickCounter();
    notifyIcon_.AddTrayIcon(kAppTitle);
    window_.frmVendor.setCaption(packageBaseUrl());
    window_.showInstalledVersion(steps_.installedDefinitions());
    window_.LoadSettings();
    if (const auto latest = steps_.findLatestPackage(kFalse, kTrue)) {
        window_.showLatestPackage(latest->name);
    }
}

void MainForm::Form_Resize() {
    if (window_.windowState() == WindowState::Minimized) {
        window_.setVisible(false);
    }
}

bool MainForm::Form_QueryUnload(UnloadMode mode) {
    if (mode != UnloadMode::UserClose) {
        return false;
    }
    window_.cmdCancel_Click();
    return true;
}

void MainForm::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    notifyIcon_.DeleteTrayIcon();
    windows_.unloadAboutBox();
    steps_.endProgram();
}

void MainForm::unload(UnloadMode mode) {
    if (!Form_QueryUnload(mode)) {
        Form_Unload();
    }
}

}  // namespace velmora
