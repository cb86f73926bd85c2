#include "winui/WinWindowPlacement.h"

#include <algorithm>

namespace velmora {

namespace {

int widthOf(const RECT& rect) {
    return rect.right - rect.left;
}

int heightOf(const RECT& rect) {
    return rect.bottom - rect.top;
}

RECT workAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor != nullptr && ::GetMonitorInfoW(monitor, &info)) {
        return info.rcWork;
    }
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Whether a length Windows suggests is one of `wanted`, give or take what the scaling of
// the frame rounds: a quarter either way.
bool aboutAsLong(int suggested, int wanted) {
    return suggested > 0 && suggested >= wanted - wanted / 4 && suggested <= wanted + wanted / 4;
}

}  // namespace

RECT workAreaNear(POINT point) {
    return workAreaOf(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

RECT workAreaUnderPointer() {
    POINT pointer{};
    if (!::GetCursorPos(&pointer)) {
        return workAreaOf(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    }
    return workAreaNear(pointer);
}

RECT centredIn(SIZE size, const RECT& area) {
    const LONG left = area.left + std::max<LONG>(0, (widthOf(area) - size.cx) / 2);
    const LONG top = area.top + std::max<LONG>(0, (heightOf(area) - size.cy) / 2);
    return {left, top, left + size.cx, top + size.cy};
}

SIZE frameSizeFor(SIZE client, DWORD style, DWORD exStyle, int dotsPerInch) {
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dotsPerInch));
    return {widthOf(frame), heightOf(frame)};
}

RECT placeAfterDpiChange(const RECT* suggested, const RECT& current, SIZE frame) {
    if (suggested != nullptr && aboutAsLong(widthOf(*suggested), frame.cx) &&
        aboutAsLong(heightOf(*suggested), frame.cy) &&
        ::MonitorFromRect(suggested, MONITOR_DEFAULTTONULL) != nullptr) {
        return *suggested;
    }
    const RECT& anchor = suggested != nullptr ? *suggested : current;
    return centredIn(frame, workAreaNear(POINT{anchor.left, anchor.top}));
}

}  // namespace velmora
