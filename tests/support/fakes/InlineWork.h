#pragma once

#include <functional>

#include "update/BackgroundWork.h"

namespace velmora::test {

// Runs the work on the caller's thread; `quitDuring` makes it end as when the program is
// asked to end meanwhile.
class InlineWork final : public BackgroundWork {
  public:
    WaitOutcome run(const std::function<void()>& work, const std::function<void()>& stop) override {
        work();
        if (quitDuring) {
            stop();
            return WaitOutcome::Quit;
        }
        return WaitOutcome::Ready;
    }

    bool quitDuring = false;
};

}  // namespace velmora::test
