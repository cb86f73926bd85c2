#pragma once

#include <windows.h>

#include <functional>

#include "win/DialogKeys.h"

namespace velmora {

// Serves the thread's messages until `done` is true. False when WM_QUIT came first; it is
// posted again so that the outer loop ends too.
bool serveMessagesUntil(const std::function<bool()>& done);

// The program's own loop: serves messages until WM_QUIT and returns its exit code. While
// `event` (when not null) is signalled, `onSignalled` runs; it must reset what signals it.
int runMessageLoop(HANDLE event, const std::function<void()>& onSignalled);

}  // namespace velmora
