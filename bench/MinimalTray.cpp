// The yardstick of the start-up benchmark: a minimal Qt Widgets program with a tray icon and
// a one-minute timer, and nothing else. Like Velmora it writes $VELMORA_STARTUP_REPORT once
// its event loop runs.
#include <QApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap picture(32, 32);
    picture.fill(Qt::darkBlue);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.setToolTip(QStringLiteral("Minimal"));
    icon.show();

    QTimer minute;
    QObject::connect(&minute, &QTimer::timeout, [] {});
    minute.start(60000);

    QTimer::singleShot(0, [] {
        if (const char* file = std::getenv("VELMORA_STARTUP_REPORT"); file != nullptr) {
            QSaveFile out(QString::fromLocal8Bit(file));
            if (out.open(QIODevice::WriteOnly)) {
                out.write("ready\n");
                out.commit();
            }
        }
    });
    return QApplication::exec();
}
