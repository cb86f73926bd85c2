#pragma once

#include <windows.h>

#include <string>

#include "winui/UniqueGdiObject.h"

namespace velmora {

// The screen's dots per inch, as the program's windows are laid out at.
int screenDotsPerInch();

// The windows' font at the layouts' text size: a Japanese UI font Windows has ("Meiryo UI",
// else "MS UI Gothic"), else the system's message font.
UniqueGdiObject<HFONT> createWindowFont(int dotsPerInch);

// The size `text` takes in `font` on one line, an access key's ampersand not counted.
SIZE captionExtent(HFONT font, const std::wstring& text);

}  // namespace velmora
