#include "shell/StartupReport.h"

namespace velmora {

std::string startupReport(const MainWindowControls& window, bool trayIconShown) {
    return "frmVendor=" + window.frmVendor.caption() + "\n" +
           "lblVDFileName.Tag=" + window.lblVDFileName.tag() + "\n" +
           "lblVDFileName=" + window.lblVDFileName.caption() + "\n" +
           "lblLatstVDFileName.Tag=" + window.lblLatstVDFileName.tag() + "\n" +
           "lblLatstVDFileName=" + window.lblLatstVDFileName.caption() + "\n" +
           "visible=" + (window.visible() ? "1" : "0") + "\n" +
           "trayIcon=" + (trayIconShown ? "1" : "0") + "\n";
}

}  // namespace velmora
