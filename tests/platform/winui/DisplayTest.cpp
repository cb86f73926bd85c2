#include "DisplayTest.h"

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "winui/WinMessageLoop.h"

namespace velmora::test {

void serveQueuedMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        dispatchMessage(message);
    }
}

bool serveMessagesFor(int limitMs, const std::function<bool()>& done) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(limitMs);
    for (;;) {
        serveQueuedMessages();
        if (done()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_ALLINPUT);
    }
}

bool trayHoldsIconOf(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

void pressKey(UINT virtualKey) {
    HWND target = ::GetFocus();
    const bool alt = (::GetKeyState(VK_MENU) & 0x8000) != 0;
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM context = alt ? (1 << 29) : 0;
    ::PostMessageW(target, down, virtualKey, context | 1);
    ::PostMessageW(target, up, virtualKey, context | 1 | (1u << 30) | (1u << 31));
    serveQueuedMessages();
}

HeldKeys::HeldKeys(const std::vector<int>& virtualKeys) {
    ::GetKeyboardState(saved_);
    BYTE held[256];
    ::GetKeyboardState(held);
    for (const int key : virtualKeys) {
        held[key] |= 0x80;
    }
    ::SetKeyboardState(held);
}

HeldKeys::~HeldKeys() {
    ::SetKeyboardState(saved_);
}

}  // namespace velmora::test
