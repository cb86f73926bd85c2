#include "winui/WinMessageBoxNotifier.h"

#include <windows.h>

#include "settings/AppTitle.h"
#include "win/WinText.h"

namespace velmora {

void WinMessageBoxNotifier::showNotice(const std::string& text) {
    ::MessageBoxW(nullptr, widen(text).c_str(), widen(kAppTitle).c_str(), MB_OK);
}

}  // namespace velmora
