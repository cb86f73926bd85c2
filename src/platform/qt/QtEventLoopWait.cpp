#include "qt/QtEventLoopWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <cerrno>

namespace velmora {

WaitOutcome QtEventLoopWait::waitFor(WaitHandle handle) {
    const WaitHandle::Native fd = handle.native();
    if (QCoreApplication::instance() == nullptr || fd < 0) {
        errno = fd < 0 ? EBADF : EINVAL;
        return WaitOutcome::Failed;
    }
    QEventLoop loop;
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    bool ready = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        ready = true;
        notifier.setEnabled(false);
        loop.quit();
    });
    loop.exec();
    return ready ? WaitOutcome::Ready : WaitOutcome::Quit;
}

}  // namespace velmora
