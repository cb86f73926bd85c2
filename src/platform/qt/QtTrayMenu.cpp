#include "qt/QtTrayMenu.h"

#include <QAction>
#include <QCursor>
#include <utility>

namespace velmora {

QtTrayMenu::QtTrayMenu(const std::function<void(TrayCommand)>& onCommand) {
    menu_.setObjectName(QStringLiteral("trayMenu"));
    menu_.setTitle(QString::fromUtf8(kTrayMenuCaption.data(), kTrayMenuCaption.size()));
    for (const TrayMenuItem& item : kTrayMenuItems) {
        QAction* action =
            item.command == TrayCommand::Separator
                ? menu_.addSeparator()
                : menu_.addAction(QString::fromUtf8(item.caption.data(),
                                                    static_cast<qsizetype>(item.caption.size())));
        action->setObjectName(
            QString::fromUtf8(item.name.data(), static_cast<qsizetype>(item.name.size())));
        if (item.command != TrayCommand::Separator) {
            QObject::connect(action, &QAction::triggered,
                             [onCommand, command = item.command] { onCommand(command); });
        }
    }
}

void QtTrayMenu::popUpAtPointer() {
    menu_.exec(QCursor::pos());
}

}  // namespace velmora
