#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "qt/QtTimerDriver.h"
#include "support/QtTestApplication.h"

namespace velmora {
namespace {

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(QtTimerDriverTest, TicksAtTheControlsIntervalOnlyWhileItIsEnabled) {
    test::QtTestApplication app;
    Timer timer({.name = "minuteTimer", .caption = "", .rect = {}}, 20);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    QtTimerDriver driver(timer);

    runEventLoopFor(250);
    EXPECT_GE(ticks, 5);
    EXPECT_LE(ticks, 13);

    timer.setEnabled(false);
    const int whileDisabled = ticks;
    runEventLoopFor(100);
    EXPECT_EQ(ticks, whileDisabled);

    timer.setEnabled(true);
    runEventLoopFor(100);
    EXPECT_GT(ticks, whileDisabled);
}

}  // namespace
}  // namespace velmora
