#include "winui/WinTrayMenu.h"

#include <string>
#include <system_error>
#include <utility>

#include "win/WinError.h"
#include "win/WinText.h"

namespace velmora {

namespace {

// Zero is what TrackPopupMenu returns when nothing was picked.
UINT itemIdOf(std::size_t index) {
    return static_cast<UINT>(index + 1);
}

}  // namespace

WinTrayMenu::WinTrayMenu(HWND owner, std::function<void(TrayCommand)> onCommand)
    : owner_(owner), onCommand_(std::move(onCommand)), menu_(::CreatePopupMenu()) {
    if (menu_ == nullptr) {
        throw std::system_error(static_cast<int>(::GetLastError()), winErrorCategory(),
                                "cannot create the tray menu");
    }
    for (std::size_t i = 0; i < kTrayMenuItems.size(); ++i) {
        const TrayMenuItem& item = kTrayMenuItems[i];
        if (item.command == TrayCommand::Separator) {
            ::AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu_, MF_STRING, itemIdOf(i), widen(item.caption).c_str());
        }
    }
}

WinTrayMenu::~WinTrayMenu() {
    ::DestroyMenu(menu_);
}

std::optional<TrayCommand> WinTrayMenu::commandOf(UINT itemId) {
    if (itemId == 0 || itemId > kTrayMenuItems.size()) {
        return std::nullopt;
    }
    return kTrayMenuItems[itemId - 1].command;
}

void WinTrayMenu::popUpAtPointer() {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    // Without the owner in the foreground the menu would not close when the user clicks
    // elsewhere; the posted message makes the next click after it go where it is aimed.
    ::SetForegroundWindow(owner_);
    const UINT picked =
        static_cast<UINT>(::TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                           pointer.x, pointer.y, 0, owner_, nullptr));
    ::PostMessageW(owner_, WM_NULL, 0, 0);
    if (const auto command = commandOf(picked); command && onCommand_) {
        onCommand_(*command);
    }
}

}  // namespace velmora
