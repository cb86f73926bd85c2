#pragma once

#include "shell/CommandLine.h"

namespace velmora {

// `velmora --update-now`: one update run as the update-now button makes it, without the
// tray, without a window and without a display server; each notice is a line on standard
// output. Returns the exit status: 0 updated or already up to date, 1 any other outcome,
// 3 another Velmora is running or that cannot be told (nothing touched). `progress` says
// whether downloads show a progress line on standard error.
int runUpdateNow(ProgressDisplay progress);

// `velmora --forget-publisher`: forgets the publisher kept from the first signed package,
// saying on standard output whether there was one. Returns the exit status: 0, or 1 when
// the settings could not be changed.
int forgetPublisher();

}  // namespace velmora
