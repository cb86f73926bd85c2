// Takes a screenshot of one of the program's windows as it appears on the running display
// (for docs/: run under Xvfb with a window manager, see tools/screenshots). The picture
// is grabbed from the screen, frame and title bar included, once the window has settled.
//
// Usage: velmora_screenshot about|settings OUTPUT.png
// The settings window shows sample settings kept in a registry of its own in a temporary
// folder, so the user's own settings are neither read nor touched.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "linux/DesktopAutostart.h"
#include "linux/LocalTime.h"
#include "linux/PosixRegistryBackend.h"
#include "linux/StdoutNotifier.h"
#include "log/EventLog.h"
#include "qt/AboutDialog.h"
#include "qt/SettingsWindowView.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindow.h"

namespace {

constexpr int kSettleMs = 1500;

int shoot(QWidget& window, const QString& output) {
    int status = 1;
    window.show();
    window.raise();
    window.activateWindow();
    QTimer::singleShot(kSettleMs, [&] {
        const QRect frame = window.frameGeometry();
        const QPixmap picture =
            window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        status = picture.save(output, "PNG") ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return status;
}

int shootSettingsWindow(const QString& output) {
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    velmora::StdoutNotifier notifier;
    velmora::EventLog log({root / "velmora.log", root / "fallback.log"}, notifier,
                          velmora::localTimeNow);
    velmora::PosixRegistryBackend backend(root / "config");
    velmora::Reg reg(backend, log);
    for (const auto& [name, text] :
         {std::pair{"IUP", "1"}, {"Auto", "1"}, {"Interval", "24"}, {"Log", "1"}}) {
        reg.writeValue(velmora::RootKey::CurrentUser, velmora::settingsKeyPath(), name, text);
    }
    velmora::DesktopAutostart autostart(root / "config" / "autostart");
    velmora::RegistrySettings settings(reg, autostart,
                                       velmora::startupEntryFor("/usr/bin", "velmora"));
    velmora::SettingsWindow window(settings);
    window.vendorFrame.setCaption(velmora::packageBaseUrl());
    window.installedVersionLabel.setCaption("2004/11/14 rev. 17");
    window.latestPackageLabel.setCaption("2004/11/20 rev. 3");
    window.loadSettings();
    velmora::SettingsWindowView view(window);
    window.setVisible(true);
    return shoot(view, output);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "settings") == 0) {
        return shootSettingsWindow(QString::fromLocal8Bit(argv[2]));
    }
    if (argc != 3 || std::strcmp(argv[1], "about") != 0) {
        std::fputs("usage: velmora_screenshot about|settings OUTPUT.png\n", stderr);
        return 2;
    }
    velmora::AboutDialog about;
    return shoot(about, QString::fromLocal8Bit(argv[2]));
}
