#pragma once

#include <string>

#include "window/SettingsWindowControls.h"

namespace velmora {

// What the settings window shows once the program is resident, one "name=value" line per
// item: the vendor frame's caption, the installed and the newest published version (tag and
// caption of each), and whether the icon is in the tray. Written for the end-to-end tests
// and the start-up benchmark when $VELMORA_STARTUP_REPORT names a file; nothing else reads
// it.
std::string startupReport(const SettingsWindowControls& window, bool trayIconShown);

// Writes the report into the file $VELMORA_STARTUP_REPORT names, if it names one, replaced
// whole so that a reader never sees half of it. Called as the program becomes resident, so
// that the file also marks that moment.
void writeStartupReportWhenAsked(const SettingsWindowControls& window, bool trayIconShown);

}  // namespace velmora
