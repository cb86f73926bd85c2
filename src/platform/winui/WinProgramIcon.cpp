#include "winui/WinProgramIcon.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace velmora {

namespace {

constexpr WORD kProgramIconResource = 1;

// Whether the icon resource `name` of `module` holds an image `side` pixels square. Its
// directory is a header of three words and an entry of 14 bytes an image, each beginning
// with the image's width and height in a byte (0 standing for 256).
bool holdsImageOfSide(HINSTANCE module, const wchar_t* name, int side) {
    constexpr std::size_t kHeader = 6;
    constexpr std::size_t kEntry = 14;
    HRSRC found = ::FindResourceW(module, name, RT_GROUP_ICON);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const auto* directory =
        static_cast<const BYTE*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    const std::size_t size = found != nullptr ? ::SizeofResource(module, found) : 0;
    if (directory == nullptr || size < kHeader) {
        return false;
    }
    WORD count = 0;
    std::memcpy(&count, directory + 4, sizeof(count));
    const auto sideOf = [](BYTE stored) { return stored == 0 ? 256 : int{stored}; };
    for (std::size_t i = 0; i < std::min<std::size_t>(count, (size - kHeader) / kEntry); ++i) {
        const BYTE* entry = directory + kHeader + i * kEntry;
        if (sideOf(entry[0]) == side && sideOf(entry[1]) == side) {
            return true;
        }
    }
    return false;
}

// An image of exactly that size comes from the resource as it is, through user32 alone;
// any other is scaled down by the common controls, which are loaded for it.
HICON loadAtSide(HINSTANCE module, const wchar_t* name, int side) {
    if (holdsImageOfSide(module, name, side)) {
        return static_cast<HICON>(::LoadImageW(module, name, IMAGE_ICON, side, side, 0));
    }
    HICON icon = nullptr;
    return SUCCEEDED(::LoadIconWithScaleDown(module, name, side, side, &icon)) ? icon : nullptr;
}

// Sets one of a window's icons and replaces `held` with it, once the window has let go of
// the old one.
void setWindowIcon(HWND window, WPARAM which, UniqueIcon& held, UniqueIcon icon) {
    ::SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon.get()));
    held = std::move(icon);
}

}  // namespace

UniqueIcon loadProgramIcon(int side) {
    if (HICON own =
            loadAtSide(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconResource), side)) {
        return UniqueIcon(own);
    }
    HICON standIn = nullptr;
    if (FAILED(::LoadIconWithScaleDown(nullptr, IDI_APPLICATION, side, side, &standIn))) {
        return {};
    }
    return UniqueIcon(standIn);
}

int smallIconSide(int dotsPerInch) {
    return ::GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dotsPerInch));
}

int largeIconSide(int dotsPerInch) {
    return ::GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(dotsPerInch));
}

void WindowIcons::show(HWND window, int dotsPerInch) {
    setWindowIcon(window, ICON_SMALL, small_, loadProgramIcon(smallIconSide(dotsPerInch)));
    setWindowIcon(window, ICON_BIG, large_, loadProgramIcon(largeIconSide(dotsPerInch)));
}

}  // namespace velmora
