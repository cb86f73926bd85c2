#pragma once

#include <cstdint>

namespace velmora {

// Why the settings window is being unloaded.
enum class UnloadMode : std::int16_t {
    UserClose = 0,    // close box, system menu, Alt+F4
    Code = 1,         // the tray menu's exit item
    SessionEnd = 2,   // the desktop session is logging off or shutting down
    TaskManager = 3,  // asked to end from outside (a signal, another program's close request)
};

}  // namespace velmora
