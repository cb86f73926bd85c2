#pragma once

#include "ports/ProgramProcess.h"

// writeStandardText on Windows: as characters to a console, so that Japanese shows whatever
// the console's code page, and as UTF-8 bytes to a file or a pipe.
