#pragma once

namespace velmora {

// The resident tray program (Main): ends at once with status 0 when another Velmora of this
// user is running, and with status 3 (a line on standard error) when that cannot be told;
// otherwise loads the hidden settings window, puts the icon into the tray
// and runs the event loop until the program is unloaded from the tray menu, by the end of
// the desktop session or by SIGTERM, SIGINT or SIGHUP. Returns the exit status.
int runResident(int& argc, char** argv);

}  // namespace velmora
