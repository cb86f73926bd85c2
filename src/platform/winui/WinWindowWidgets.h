#pragma once

#include <windows.h>

#include <string>

#include "window/Widget.h"
#include "window/WindowSurface.h"

namespace velmora {

class WinChildWindow;

// The window that child windows are made in: its handle, its font and density, and where
// it sends on the notifications (WM_COMMAND, WM_VSCROLL) that each child raises.
class WinChildParent {
  public:
    virtual HWND parentWindow() const = 0;
    virtual HFONT childFont() const = 0;
    virtual int childDotsPerInch() const = 0;
    // The control identifier for a new child: IDOK and IDCANCEL for the buttons that Enter
    // and Esc press, else a fresh one.
    virtual WORD childId(CommandButton::Role role) = 0;
    virtual void adopt(WinChildWindow& child) = 0;
    virtual void release(WinChildWindow& child) = 0;

  protected:
    ~WinChildParent() = default;
};

// How a child window is made: its class, styles and the widget it is made for.
struct WinChildStyle {
    const wchar_t* className;
    DWORD style = 0;
    DWORD exStyle = 0;
    CommandButton::Role role = CommandButton::Role::Normal;
};

// A child window of the program's own, destroyed with its object. Hears its parent's
// notifications about it, and its own focus and typing.
class WinChildWindow {
  public:
    WinChildWindow(WinChildParent& parent, const WinChildStyle& style, const WidgetDesign& design);
    virtual ~WinChildWindow();
    WinChildWindow(const WinChildWindow&) = delete;
    WinChildWindow& operator=(const WinChildWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // A WM_COMMAND notification from the child.
    virtual void commanded(WORD /*notification*/) {}
    // A WM_VSCROLL request from the child, with the thumb's position where it has one.
    virtual void scrolled(WORD /*request*/, WORD /*thumbPosition*/) {}

  protected:
    WinChildParent& parent() const { return parent_; }
    WidgetListener& listener() const { return listener_; }
    std::wstring text() const;
    // Whether a WM_CHAR for `character` is to type nothing.
    virtual bool swallows(WPARAM /*character*/) const { return false; }

  private:
    static LRESULT CALLBACK subclassProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);

    WinChildParent& parent_;
    WidgetListener& listener_;
    HWND hwnd_;
};

// A child window behind the toolkit-free widget interface.
template <class Interface>
class WinWidget : public Interface, public WinChildWindow {
  public:
    using WinChildWindow::WinChildWindow;

    void setCaption(const std::string& caption) override;
    void setEnabled(bool enabled) override { ::EnableWindow(hwnd(), enabled ? TRUE : FALSE); }
    void setVisible(bool visible) override { ::ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE); }
    void place(const PixelRect& place) override {
        ::MoveWindow(hwnd(), place.left, place.top, place.width, place.height, TRUE);
    }
    PixelSize captionSize() const override;
    void takeFocus() override {
        if (::GetFocus() != hwnd()) {
            ::SetFocus(hwnd());
        }
    }
};

// A static label or a group box.
using WinCaptionWidget = WinWidget<Widget>;

class WinButtonWidget final : public WinWidget<Widget> {
  public:
    using WinWidget::WinWidget;
    void commanded(WORD notification) override;
};

// A check box or an option button: a caption after the check mark the system draws.
class WinCheckWidget final : public WinWidget<CheckWidget> {
  public:
    using WinWidget::WinWidget;
    void setChecked(bool checked) override;
    PixelSize captionSize() const override;
    void commanded(WORD notification) override;
};

// An edit box in which a command chord no access key took types nothing.
class WinTextWidget final : public WinWidget<TextWidget> {
  public:
    using WinWidget::WinWidget;
    void setText(const std::string& text) override;
    void commanded(WORD notification) override;

  protected:
    bool swallows(WPARAM character) const override;
};

class WinScrollWidget final : public WinWidget<ScrollWidget> {
  public:
    WinScrollWidget(WinChildParent& parent, const WidgetDesign& design, int minimum, int maximum);
    void setPosition(int position) override;
    void scrolled(WORD request, WORD thumbPosition) override;

  private:
    int minimum_;
    int maximum_;
};

}  // namespace velmora
