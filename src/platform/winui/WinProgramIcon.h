#pragma once

#include <windows.h>

namespace velmora {

enum class IconSize { Small, Large };

// The program's icon: the executable's icon resource 1 when it has one, else Windows' own
// application icon. Shared by the system; never destroyed.
HICON programIcon(IconSize size);

}  // namespace velmora
