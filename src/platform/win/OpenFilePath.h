#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// The full path of the file `file` is open on, in the usual form (not \\?\), as a
// program's own command line shows it; false, with the thread's last error set, when
// Windows cannot tell.
bool pathOfOpenFile(HANDLE file, std::wstring& path);

}  // namespace velmora
