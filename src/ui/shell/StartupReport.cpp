#include "shell/StartupReport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ports/Utf8Path.h"

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

void writeStartupReportWhenAsked(const SettingsWindowControls& window, bool trayIconShown) {
    const char* file = std::getenv("VELMORA_STARTUP_REPORT");
    if (file == nullptr || *file == '\0') {
        return;
    }
    const std::filesystem::path target = utf8Path(file);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << startupReport(window, trayIconShown);
        if (!out.flush()) {
            return;
        }
    }
    std::error_code ignored;
    std::filesystem::rename(temporary, target, ignored);
}

}  // namespace velmora
