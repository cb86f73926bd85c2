#include "qt/QtMessageBoxNotifier.h"

#include <QMessageBox>
#include <QString>

namespace velmora {

void QtMessageBoxNotifier::showNotice(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Velmora"), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace velmora
