#include "winui/WinMessageLoop.h"

namespace velmora {

bool serveMessagesUntil(const std::function<bool()>& done) {
    MSG message{};
    while (!done()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            ::PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
            return false;
        }
        dispatchMessage(message);
    }
    return true;
}

int runMessageLoop(HANDLE event, const std::function<void()>& onSignalled) {
    const DWORD count = event != nullptr ? 1 : 0;
    for (;;) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return static_cast<int>(message.wParam);
            }
            dispatchMessage(message);
        }
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(count, &event, INFINITE, QS_ALLINPUT,
                                                          MWMO_INPUTAVAILABLE);
        if (count == 1 && woken == WAIT_OBJECT_0) {
            onSignalled();
        } else if (woken == WAIT_FAILED) {
            return 1;
        }
    }
}

}  // namespace velmora
