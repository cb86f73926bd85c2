#include "qt/QtProgramIcon.h"

#include <QString>

// Q_INIT_RESOURCE must stand outside any namespace. Calling it also keeps the embedded
// resources of this static library from being dropped by the linker.
static void initProgramResources() {
    Q_INIT_RESOURCE(velmora);
}

namespace velmora {

QIcon programIcon() {
    initProgramResources();
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/velmora/icons/velmora-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace velmora
