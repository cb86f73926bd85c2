#include "win/DialogKeys.h"

#include <vector>

namespace velmora {

namespace {

// The UI thread's windows that take dialog keys; the program has one UI thread.
std::vector<HWND>& dialogWindows() {
    static std::vector<HWND> windows;
    return windows;
}

bool takenAsDialogKey(MSG& message) {
    for (const HWND window : dialogWindows()) {
        if ((message.hwnd == window || ::IsChild(window, message.hwnd)) &&
            ::IsDialogMessageW(window, &message)) {
            return true;
        }
    }
    return false;
}

}  // namespace

DialogKeys::DialogKeys(HWND window) : window_(window) {
    dialogWindows().push_back(window_);
}

DialogKeys::~DialogKeys() {
    std::erase(dialogWindows(), window_);
}

void dispatchMessage(MSG& message) {
    if (takenAsDialogKey(message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace velmora
