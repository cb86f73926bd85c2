#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "window/SettingsWindowBinder.h"
#include "window/WindowSurface.h"
#include "winui/UniqueGdiObject.h"
#include "winui/WinHandlerWindow.h"
#include "winui/WinMessageLoop.h"
#include "winui/WinWindowFont.h"
#include "winui/WinWindowWidgets.h"

namespace velmora {

class SettingsWindow;

// The settings window as a native window, its child windows bound to the window's
// controls. Laid out at the density of the screen it shows on and again when that changes;
// Tab, Enter, Esc and the access keys work as in a dialog. It holds no state of its own and
// must go before the window it shows.
class WinSettingsWindowView final : private WindowSurface, private WinChildParent {
  public:
    explicit WinSettingsWindowView(SettingsWindow& window);
    ~WinSettingsWindowView() override;
    WinSettingsWindowView(const WinSettingsWindowView&) = delete;
    WinSettingsWindowView& operator=(const WinSettingsWindowView&) = delete;

    HWND hwnd() const { return frame_->hwnd(); }
    // The child window that shows `control`, or null.
    HWND windowFor(const Control& control) const;

    // Runs when the user closes the window from its title bar (close box, system menu,
    // Alt+F4); the window itself stays. By default it discards the edits as Cancel does.
    std::function<void()> onUserClose;

  private:
    // The window's surface for the binder.
    void setListener(WindowSurfaceListener* listener) override;
    int dotsPerInch() const override;
    void setTitle(const std::string& title) override;
    void setClientSize(PixelSize size) override;
    void showWindow() override;
    void hideWindow() override;
    void setMinimised(bool minimised) override;
    std::unique_ptr<Widget> addLabel(const WidgetDesign& design) override;
    std::unique_ptr<Widget> addFrame(const WidgetDesign& design) override;
    std::unique_ptr<Widget> addButton(const WidgetDesign& design,
                                      CommandButton::Role role) override;
    std::unique_ptr<CheckWidget> addCheckBox(const WidgetDesign& design) override;
    std::unique_ptr<CheckWidget> addOptionButton(const WidgetDesign& design,
                                                 bool startsGroup) override;
    std::unique_ptr<TextWidget> addTextBox(const WidgetDesign& design) override;
    std::unique_ptr<ScrollWidget> addScrollBar(const WidgetDesign& design, int minimum,
                                               int maximum) override;

    // The parent of the child windows.
    WinChildParent& childParent() { return *this; }
    HWND parentWindow() const override { return hwnd(); }
    HFONT childFont() const override { return font_.get(); }
    int childDotsPerInch() const override { return dotsPerInch_; }
    WORD childId(CommandButton::Role role) override;
    void adopt(WinChildWindow& child) override;
    void release(WinChildWindow& child) override;

    std::optional<LRESULT> handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(WORD id, WORD notification, HWND child);
    LRESULT defaultButton() const;
    void moveFocus(WPARAM wParam, LPARAM lParam);
    void onActivated(bool active);
    void onDpiChanged(int dotsPerInch, const RECT* suggested);
    void takeDotsPerInch(int dotsPerInch);
    void centreOnScreen();

    int dotsPerInch_;
    UniqueGdiObject<HFONT> font_;
    std::unique_ptr<HandlerWindow> frame_;
    std::optional<DialogKeys> dialogKeys_;
    WindowSurfaceListener* listener_ = nullptr;
    std::map<HWND, WinChildWindow*> children_;
    WORD nextId_;
    HWND lastFocus_ = nullptr;
    bool placed_ = false;
    std::optional<SettingsWindowBinder> binder_;
};

}  // namespace velmora
