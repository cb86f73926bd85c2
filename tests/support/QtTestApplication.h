#pragma once

#include <QApplication>

namespace velmora::test {

// A QApplication for the life of a test, on whatever platform QT_QPA_PLATFORM names
// (the tests run on "offscreen"). Header-only, for the Qt test targets.
class QtTestApplication {
  public:
    QtTestApplication() : app_(argc_, argv_) {}

  private:
    int argc_ = 1;
    char name_[24] = "velmora_qt_tests";
    char* argv_[2] = {name_, nullptr};
    QApplication app_;
};

}  // namespace velmora::test
