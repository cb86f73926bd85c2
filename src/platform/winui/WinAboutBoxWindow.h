#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/AboutBox.h"
#include "winui/UniqueGdiObject.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageLoop.h"
#include "winui/WinProgramIcon.h"

namespace velmora {

// The About box on screen: a fixed box centred on the monitor the pointer is on, laid out
// at that monitor's density and again whenever its density changes, with the program's
// icon, four labels and one OK button that Enter and Esc both press, as is the close box.
// Each opening builds a new box, so its texts are loaded afresh every time.
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
    // A child and its place in the layout; a label is as large as its text.
    struct Child {
        HWND hwnd;
        TwipsRect rect;
        std::wstring label;  // empty for a child of a fixed size
    };

    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND addChild(const wchar_t* className, const std::wstring& text, DWORD style, WORD id = 0);
    // Font, icon and places of everything at `dotsPerInch`.
    void layOut(int dotsPerInch);
    SIZE frameSize() const;
    void onDpiChanged(int dotsPerInch, const RECT* suggested);

    AboutBox state_;
    int dotsPerInch_ = 0;
    // Before the window and its children, which borrow them.
    UniqueGdiObject<HFONT> font_;
    UniqueIcon picture_;
    std::unique_ptr<HandlerWindow> window_;
    HWND pictureBox_ = nullptr;
    std::vector<Child> children_;
    std::optional<DialogKeys> dialogKeys_;
    bool closed_ = false;
};

}  // namespace velmora
