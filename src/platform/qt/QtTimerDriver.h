#pragma once

#include <QTimer>

#include "window/WindowControls.h"

namespace velmora {

// Makes a toolkit-free Timer tick: a QTimer with the control's interval runs while the
// control is enabled, and each timeout runs the control's onTimer.
class QtTimerDriver final {
  public:
    explicit QtTimerDriver(Timer& timer);
    QtTimerDriver(const QtTimerDriver&) = delete;
    QtTimerDriver& operator=(const QtTimerDriver&) = delete;

  private:
    void followEnabled();

    Timer& timer_;
    QTimer ticks_;
    Subscription subscription_;
};

}  // namespace velmora
