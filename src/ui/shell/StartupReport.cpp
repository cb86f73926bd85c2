#include "shell/StartupReport.h"

namespace velmora {

std::string startupReport(const SettingsWindowControls& window, bool trayIconShown) {
    return "frmVendor=" + window.vendorFrame.caption() + "\n" +
           "lblVDFileName.Tag=" + window.installedVersionLabel.tag() + "\n" +
           "lblVDFileName=" + window.installedVersionLabel.caption() + "\n" +
           "lblLatstVDFileName.Tag=" + window.latestPackageLabel.tag() + "\n" +
           "lblLatstVDFileName=" + window.latestPackageLabel.caption() + "\n" +
           "visible=" + (window.visible() ? "1" : "0") + "\n" +
           "trayIcon=" + (trayIconShown ? "1" : "0") + "\n";
}

}  // namespace velmora
