#include "winui/WinMessageBoxNotifier.h"

#include <utility>

#include "settings/AppTitle.h"
#include "win/WinText.h"

namespace velmora {

WinMessageBoxNotifier::WinMessageBoxNotifier(std::function<HWND()> owner)
    : owner_(std::move(owner)) {}

void WinMessageBoxNotifier::showNotice(const std::string& text) {
    HWND owner = owner_ ? owner_() : nullptr;
    const bool ownerShown = owner != nullptr && ::IsWindowVisible(owner) != FALSE;
    const UINT style = ownerShown ? MB_OK : MB_OK | MB_SETFOREGROUND | MB_TOPMOST;
    ::MessageBoxW(owner, widen(text).c_str(), widen(kAppTitle).c_str(), style);
}

}  // namespace velmora
