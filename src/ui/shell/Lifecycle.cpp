#include "shell/Lifecycle.h"

#include "settings/AppTitle.h"

namespace velmora {

Lifecycle::Lifecycle(SettingsWindow& window, NotifyIcon& notifyIcon, ShellWindows& windows,
                     LifecycleSteps& steps)
    : window_(window), notifyIcon_(notifyIcon), windows_(windows), steps_(steps) {
    windowStateSubscription_ = window_.observe([this](ControlProperty property) {
        if (property == ControlProperty::WindowState) {
            onResized();
        }
    });
}

void Lifecycle::startUp() {
    window_.setVisible(false);
    // The tray menu is never a menu bar of the window: there is nothing to hide.
    steps_.resetTickCounter();
    notifyIcon_.addTrayIcon(kAppTitle);
    window_.vendorFrame.setCaption(steps_.updateSource().packageBaseUrl());
    window_.showInstalledVersion(steps_.installedDefinitions());
    window_.loadSettings();
    if (const auto latest = steps_.findLatestPackage(false, true)) {
        window_.showLatestPackage(latest->name);
    }
}

void Lifecycle::onResized() {
    if (window_.windowState() == WindowState::Minimized) {
        window_.setVisible(false);
    }
}

bool Lifecycle::mayUnload(UnloadMode mode) {
    if (mode != UnloadMode::UserClose) {
        return false;
    }
    window_.onCancelClicked();
    return true;
}

void Lifecycle::finishUnload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    notifyIcon_.deleteTrayIcon();
    windows_.unloadAboutBox();
    steps_.endProgram();
}

void Lifecycle::unload(UnloadMode mode) {
    if (!mayUnload(mode)) {
        finishUnload();
    }
}

}  // namespace velmora
