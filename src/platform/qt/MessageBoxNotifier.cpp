#include "qt/MessageBoxNotifier.h"

#include <QMessageBox>
#include <QString>

namespace velmora {

void MessageBoxNotifier::showNotice(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Velmora"), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace velmora
