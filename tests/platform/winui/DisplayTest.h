#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

namespace velmora::test {

// Windows need a display: under Wine an X server (xvfb-run -a). Without one the tests that
// make windows are skipped, with this reason.
inline bool hasDisplay() {
    return ::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

#define VELMORA_SKIP_WITHOUT_DISPLAY()                                                   \
    do {                                                                                 \
        if (!::velmora::test::hasDisplay()) {                                            \
            GTEST_SKIP() << "needs an X display for its windows: run under xvfb-run -a"; \
        }                                                                                \
    } while (false)

// Serves what is queued for the thread's windows, dialog keys included.
void serveQueuedMessages();

// Serves messages until `done` is true or `limitMs` milliseconds have passed; whether
// `done` became true.
bool serveMessagesFor(int limitMs, const std::function<bool()>& done);

// Whether the notification area holds an icon (id 1) of `window`: only such an icon can be
// changed.
bool trayHoldsIconOf(HWND window);

// A key pressed and released on the window that has the focus, through the program's own
// message handling (dialog keys first).
void pressKey(UINT virtualKey);

// Holds the given keys down in the thread's keyboard state while it lives.
class HeldKeys {
  public:
    explicit HeldKeys(const std::vector<int>& virtualKeys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

  private:
    BYTE saved_[256]{};
};

}  // namespace velmora::test
