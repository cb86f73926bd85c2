#include "win/ConsoleEndRequests.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace velmora {

namespace {

// The handler runs on a thread of its own that Windows starts; it only signals the event.
std::atomic<HANDLE> requestedEvent{nullptr};

BOOL WINAPI onConsoleControl(DWORD control) {
    switch (control) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            if (const HANDLE event = requestedEvent.load(); event != nullptr) {
                ::SetEvent(event);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

ConsoleEndRequests::ConsoleEndRequests()
    : requested_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    requestedEvent.store(requested_.get());
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

ConsoleEndRequests::~ConsoleEndRequests() {
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
    requestedEvent.store(nullptr);
}

WaitHandle ConsoleEndRequests::handle() const {
    return WaitHandle{reinterpret_cast<std::intptr_t>(requested_.get())};
}

void ConsoleEndRequests::take() {
    ::ResetEvent(requested_.get());
}

}  // namespace velmora
