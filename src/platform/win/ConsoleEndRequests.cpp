#include "win/ConsoleEndRequests.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace velmora {

namespace {

// The handler runs on a thread of its own that Windows starts; it only signals the event,
// and for the requests after which Windows ends the process, waits.
std::atomic<HANDLE> requestedEvent{nullptr};
// Set when the program is done with the requests: its run has ended the ordinary way.
std::atomic<bool> released{false};

}  // namespace

BOOL WINAPI ConsoleEndRequests::onControl(DWORD control) {
    const HANDLE event = requestedEvent.load();
    if (event == nullptr) {
        return FALSE;
    }
    switch (control) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            ::SetEvent(event);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            ::SetEvent(event);
            // Windows ends the process as soon as the handler returns (or after its own
            // limit of a few seconds): not before the run has cancelled its transfer and
            // removed the partial package.
            released.wait(false);
            return TRUE;
        default:
            return FALSE;
    }
}

ConsoleEndRequests::ConsoleEndRequests()
    : requested_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    released.store(false);
    requestedEvent.store(requested_.get());
    ::SetConsoleCtrlHandler(&ConsoleEndRequests::onControl, TRUE);
}

ConsoleEndRequests::~ConsoleEndRequests() {
    requestedEvent.store(nullptr);
    // First let a waiting handler return: removing the handler waits for it.
    released.store(true);
    released.notify_all();
    ::SetConsoleCtrlHandler(&ConsoleEndRequests::onControl, FALSE);
}

WaitHandle ConsoleEndRequests::handle() const {
    return WaitHandle{reinterpret_cast<std::intptr_t>(requested_.get())};
}

void ConsoleEndRequests::take() {
    ::ResetEvent(requested_.get());
}

}  // namespace velmora
