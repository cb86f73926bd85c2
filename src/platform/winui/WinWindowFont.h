#pragma once

#include <windows.h>

#include <string>

#include "winui/UniqueGdiObject.h"

namespace velmora {

// The system's dots per inch: those of the primary monitor when the user logged on.
int screenDotsPerInch();

// The dots per inch `window` is laid out at: under per-monitor awareness, those of the
// monitor it is on, which change as it moves or as the user changes that monitor's scale.
int windowDotsPerInch(HWND window);

// The windows' font at the layouts' text size on a screen of `dotsPerInch`: a Japanese UI
// font Windows has ("Meiryo UI", else "MS UI Gothic"), else the system's message font for
// that density.
UniqueGdiObject<HFONT> createWindowFont(int dotsPerInch);

// The size `text` takes in `font` on one line, an access key's ampersand not counted.
SIZE captionExtent(HFONT font, const std::wstring& text);

}  // namespace velmora
