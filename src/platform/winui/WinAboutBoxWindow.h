#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "shell/AboutBox.h"
#include "winui/UniqueGdiObject.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageLoop.h"
#include "winui/WinProgramIcon.h"

namespace velmora {

// The About box on screen: a fixed box centred on the screen, with the program's icon, four
// labels and one OK button that Enter and Esc both press, as is the close box. Each opening
// builds a new box, so its texts are loaded afresh every time.
class WinAboutBoxWindow final {
  public:
    WinAboutBoxWindow();
    WinAboutBoxWindow(const WinAboutBoxWindow&) = delete;
    WinAboutBoxWindow& operator=(const WinAboutBoxWindow&) = delete;

    // Shows the box, with no owner window, and serves messages until it is closed; false
    // when the program was asked to quit first.
    bool showModal();
    // Closes the box; a modal showing of it returns.
    void close();
    bool visible() const { return ::IsWindowVisible(hwnd()) != FALSE; }
    HWND hwnd() const { return window_->hwnd(); }

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND addChild(const wchar_t* className, const std::wstring& text, DWORD style,
                  const TwipsRect& rect, WORD id = 0);

    AboutBox state_;
    int dotsPerInch_;
    UniqueGdiObject<HFONT> font_;
    UniqueIcon picture_;  // before the window, which borrows it
    std::unique_ptr<HandlerWindow> window_;
    std::optional<DialogKeys> dialogKeys_;
    bool closed_ = false;
};

}  // namespace velmora
