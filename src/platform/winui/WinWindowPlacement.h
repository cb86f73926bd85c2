#pragma once

#include <windows.h>

namespace velmora {

// Where the program's top-level windows go on a desktop of several monitors, each with a
// density of its own.

// The work area (the monitor less the taskbar) of the monitor nearest `point`.
RECT workAreaNear(POINT point);

// The work area of the monitor `pointer` is on: where a window opened from the tray menu
// appears, by the taskbar the user just clicked.
RECT workAreaUnderPointer();

// `size` centred in `area`; a window larger than the area keeps its top-left corner in it.
RECT centredIn(SIZE size, const RECT& area);

// The outer size of a window whose client area is `client`, at `dotsPerInch`.
SIZE frameSizeFor(SIZE client, DWORD style, DWORD exStyle, int dotsPerInch);

// Where a window whose frame is `frame` at its new density goes when Windows suggests
// `suggested` for it: the suggestion, which keeps the window where the user dragged it, when
// it is a place on a monitor for a window about that size. Otherwise (no suggestion, no
// area, far off every monitor, a size the window does not have) the window keeps its size,
// centred on the monitor nearest the suggestion, or nearest `current` without one.
RECT placeAfterDpiChange(const RECT* suggested, const RECT& current, SIZE frame);

}  // namespace velmora
