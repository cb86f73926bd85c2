#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "window/WindowControls.h"
#include "winui/UniqueGdiObject.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageLoop.h"

namespace velmora {

class SettingsWindow;

// The settings window as a native window, bound to its toolkit-free state: every change of
// a control shows on its child window, and every user action on a child window goes to the
// control (and from there to the window's rules). Placed from the layout in twips at the
// screen's dots per inch; Tab, Enter, Esc and the access keys work as in a dialog. The view
// holds no state of its own and must go before the window it shows.
class WinSettingsWindowView {
  public:
    explicit WinSettingsWindowView(SettingsWindow& window);
    ~WinSettingsWindowView();
    WinSettingsWindowView(const WinSettingsWindowView&) = delete;
    WinSettingsWindowView& operator=(const WinSettingsWindowView&) = delete;

    HWND hwnd() const { return frame_->hwnd(); }
    // The child window that shows `control`, or null.
    HWND windowFor(const Control& control) const;

    // Runs when the user closes the window from its title bar (close box, system menu,
    // Alt+F4); the window itself stays. By default it discards the edits as Cancel does.
    std::function<void()> onUserClose;

  private:
    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(WORD id, WORD code);
    void onScroll(WORD request);
    LRESULT defaultButton() const;
    void moveFocus(WPARAM wParam, LPARAM lParam);
    void onActivated(bool active);

    // How a child's place follows its caption: not at all, the text's size, or the text
    // after a check mark.
    enum class Fit { Fixed, Text, CheckMark };

    void createChildren();
    HWND createChild(Control& control, const wchar_t* className, DWORD style, Fit fit);
    void bindForm();
    void bindCommon(Control& control, HWND child);
    void bindCaption(Control& control, HWND child);
    void bindCheckBox(CheckBox& box, HWND child);
    void bindOption(OptionButton& option, HWND child);
    void bindTextBox(TextBox& text, HWND child);
    void bindScrollBar(ScrollBar& bar, HWND child);
    void place(HWND child);
    HWND rowNeighbour(HWND child, bool before) const;
    void onDpiChanged(int dotsPerInch, const RECT& suggested);
    void showCentred();
    void focusMoved(HWND child);

    static LRESULT CALLBACK childProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);

    SettingsWindow& window_;
    int systemDotsPerInch_;
    int dotsPerInch_;
    UniqueGdiObject<HFONT> font_;
    std::unique_ptr<HandlerWindow> frame_;
    std::optional<DialogKeys> dialogKeys_;
    std::map<const Control*, HWND> children_;
    std::map<HWND, Control*> controls_;
    std::map<WORD, Control*> ids_;
    std::map<HWND, Fit> fits_;
    std::map<HWND, PixelRect> places_;
    std::vector<Subscription> subscriptions_;
    HWND lastFocus_ = nullptr;
    bool placed_ = false;
    bool closing_ = false;
};

}  // namespace velmora
