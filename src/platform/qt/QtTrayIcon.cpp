#include "platform/qt/QtTrayIcon.h"

#include <QGuiApplication>
#include <utility>

#include "platform/qt/ProgramIcon.h"

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
    QObject::connect(&icon_, &QSystemTrayIcon::activated,
                     [onMessage = std::move(onMessage)](QSystemTrayIcon::ActivationReason reason) {
                         if (const auto message = trayMessageFor(reason)) {
                             onMessage(*message);
                         }
                     });
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
