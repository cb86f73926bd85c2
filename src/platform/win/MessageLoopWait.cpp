#include "win/MessageLoopWait.h"

#include <windows.h>

#include <array>

#include "win/DialogKeys.h"

namespace velmora {

namespace {

// WaitHandle's default value (-1) is also the current-process pseudo-handle, which is
// never signalled while we run: both it and null mean "no handle".
HANDLE handleOf(WaitHandle handle) {
    const WaitHandle::Native native = handle.native();
    if (native == 0 || native == -1) {
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(native);
}

// Dispatches every message already queued; false when WM_QUIT was among them, which is
// then posted again for the loop that owns the thread.
bool dispatchQueuedMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatchMessage(message);  // the settings window's dialog keys included
    }
    return true;
}

}  // namespace

WaitOutcome MessageLoopWait::waitFor(WaitHandle handle) {
    const HANDLE target = handleOf(handle);
    if (target == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return WaitOutcome::Failed;
    }
    // The end request comes first: when both are signalled, the program is ending.
    std::array<HANDLE, 2> watched{};
    DWORD count = 0;
    const HANDLE endRequests = handleOf(endRequests_);
    if (endRequests != nullptr) {
        watched[count++] = endRequests;
    }
    const DWORD targetIndex = count;
    watched[count++] = target;

    for (;;) {
        if (!dispatchQueuedMessages()) {
            return WaitOutcome::Quit;
        }
        // MWMO_INPUTAVAILABLE also wakes for messages that arrived before the call and were
        // seen by an earlier peek but not removed (a dialog's own loop may leave some).
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(count, watched.data(), INFINITE,
                                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_FAILED) {
            return WaitOutcome::Failed;
        }
        if (woken == WAIT_OBJECT_0 + count) {
            continue;  // messages: served at the top of the loop
        }
        // An abandoned mutex is still acquired by the wait: it counts as signalled.
        const DWORD index = woken >= WAIT_ABANDONED_0 && woken < WAIT_ABANDONED_0 + count
                                ? woken - WAIT_ABANDONED_0
                                : woken - WAIT_OBJECT_0;
        if (index >= count) {
            ::SetLastError(ERROR_INVALID_FUNCTION);
            return WaitOutcome::Failed;
        }
        return index == targetIndex ? WaitOutcome::Ready : WaitOutcome::Quit;
    }
}

}  // namespace velmora
