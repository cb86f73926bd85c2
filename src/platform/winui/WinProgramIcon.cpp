#include "winui/WinProgramIcon.h"

namespace velmora {

namespace {

constexpr WORD kProgramIconResource = 1;

}  // namespace

HICON programIcon(IconSize size) {
    const bool small = size == IconSize::Small;
    const int width = ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int height = ::GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    if (HANDLE icon =
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconResource),
                         IMAGE_ICON, width, height, LR_SHARED)) {
        return static_cast<HICON>(icon);
    }
    return static_cast<HICON>(
        ::LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, width, height, LR_SHARED));
}

}  // namespace velmora
