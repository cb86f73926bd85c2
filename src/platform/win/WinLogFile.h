#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "ports/Clock.h"

namespace velmora {

// Appends one line (UTF-8) to a log file, opened and closed for the line: only a regular
// file on a disk is used, never what a reparse point (a link, a junction) under the name
// leads to; a line that does not fit whole is cut off again. False when the line is not
// there whole, so that it goes to the next destination.
//
// The line is written in code page 932 (Shift-JIS), as the log has always been on Japanese
// Windows, a character that code page cannot hold as "?". A log that is UTF-8 already (as an
// earlier version of the program wrote it) goes on in UTF-8, so that one file never holds two
// encodings.
bool appendToLogFile(const std::filesystem::path& file, const std::string& line);

// The local date and time now in the user's regional short date and long time.
LogStamp localLogStamp();

// `when` as `locale` (a locale name such as "ja-JP"; null for the user's own) writes its
// short date and long time, however long or short its formats make them.
LogStamp logStampOf(const SYSTEMTIME& when, const wchar_t* locale);

}  // namespace velmora
