// Takes a screenshot of one of the program's windows as it appears on the running display
// (for docs/: run under Xvfb with a window manager, see tools/screenshots). The picture
// is grabbed from the screen, frame and title bar included, once the window has settled.
//
// Usage: velmora_screenshot about OUTPUT.png
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "platform/qt/AboutDialog.h"

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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3 || std::strcmp(argv[1], "about") != 0) {
        std::fputs("usage: velmora_screenshot about OUTPUT.png\n", stderr);
        return 2;
    }
    velmora::AboutDialog about;
    return shoot(about, QString::fromLocal8Bit(argv[2]));
}
