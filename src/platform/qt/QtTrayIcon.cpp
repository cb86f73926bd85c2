#include "qt/QtTrayIcon.h"

#include <QGuiApplication>
#include <utility>

#include "qt/QtProgramIcon.h"

namespace velmora {

std::optional<TrayMessage> trayMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return TrayMessage::LeftButtonDown;
        case QSystemTrayIcon::DoubleClick:
            return TrayMessage::LeftDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayMessage::RightButtonDown;
        default:
            return std::nullopt;
    }
}

QtTrayIcon::QtTrayIcon(std::function<void(TrayMessage)> onMessage) {
    // Queued: what a click starts (a menu, a modal box, even the end of the program, which
    // takes the icon away) runs from the event loop, never inside the icon's own mouse
    // handling, whose widget would be gone by the time that handling returns.
    QObject::connect(
        &icon_, &QSystemTrayIcon::activated, &icon_,
        [onMessage = std::move(onMessage)](QSystemTrayIcon::ActivationReason reason) {
            if (const auto message = trayMessageFor(reason)) {
                onMessage(*message);
            }
        },
        Qt::QueuedConnection);
}

bool QtTrayIcon::add(const std::string& tip) {
    // Without a display there is no notification area now or later.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return false;
    }
    icon_.setIcon(programIcon());
    icon_.setToolTip(QString::fromStdString(tip));
    icon_.show();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTrayIcon::remove() {
    const bool wasShown = icon_.isVisible();
    icon_.hide();
    return wasShown;
}

}  // namespace velmora
