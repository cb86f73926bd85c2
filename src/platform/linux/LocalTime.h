#pragma once

#include <ctime>

#include "ports/Clock.h"

namespace velmora {

// The local date and time now, in the time zone the process runs in, written "yyyy/M/d" and
// "H:mm:ss" whatever the locale; safe on any thread.
LogStamp localLogStamp();

// `when` written as the Linux edition's log writes it.
LogStamp logStampOf(const std::tm& when);

}  // namespace velmora
