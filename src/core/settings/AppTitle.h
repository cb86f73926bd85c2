#pragma once

namespace velmora {

// The application title: the caption of the windows and message boxes, the tray tip and
// the name under which the settings are stored.
inline constexpr const char* kAppTitle = "Velmora";

}  // namespace velmora
