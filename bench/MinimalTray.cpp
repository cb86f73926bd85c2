// The yardstick of the start-up benchmark: a minimal Qt Widgets program with a tray icon and
// a one-minute timer, and nothing else. Like Velmora it writes $VELMORA_STARTUP_REPORT once
// its event loop runs.
//
// Built with MINIMAL_TRAY_FETCH_CURL or MINIMAL_TRAY_FETCH_QT it also fetches one URL before
// its event loop runs, as Velmora fetches the hash list at start, with libcurl or with Qt
// Network: what the start-up costs with either HTTP client and nothing else of Velmora's.
#include <QApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>

#if defined(MINIMAL_TRAY_FETCH_CURL)
#include <curl/curl.h>
#elif defined(MINIMAL_TRAY_FETCH_QT)
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#endif

namespace {

constexpr const char* kStartupUrl = "http://vendor.invalid/defs/download/md5-hash.txt";

#if defined(MINIMAL_TRAY_FETCH_CURL)
void fetchOnce() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, kStartupUrl);
    curl_easy_setopt(
        handle, CURLOPT_WRITEFUNCTION,
        +[](char*, std::size_t size, std::size_t count, void*) { return size * count; });
    curl_easy_perform(handle);
    curl_easy_cleanup(handle);
}
#elif defined(MINIMAL_TRAY_FETCH_QT)
void fetchOnce() {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(QString::fromLatin1(kStartupUrl))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    delete reply;
}
#else
void fetchOnce() {}
#endif

}  // namespace

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
    fetchOnce();

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
