#include "qt/QtTimerDriver.h"

namespace velmora {

QtTimerDriver::QtTimerDriver(Timer& timer) : timer_(timer) {
    ticks_.setInterval(timer_.intervalMs());
    QObject::connect(&ticks_, &QTimer::timeout, [this] {
        if (timer_.onTimer) {
            timer_.onTimer();
        }
    });
    subscription_ = timer_.observe([this](ControlProperty property) {
        if (property == ControlProperty::Enabled) {
            followEnabled();
        }
    });
    followEnabled();
}

void QtTimerDriver::followEnabled() {
    if (timer_.enabled()) {
        ticks_.start();
    } else {
        ticks_.stop();
    }
}

}  // namespace velmora
