#pragma once

#include <string>

#include "window/WindowControls.h"

namespace velmora {

// What the user does to a widget, as the toolkit reports it to the one who bound it. Only
// the calls that fit the widget's kind come: a push button is pressed, a check box checked.
class WidgetListener {
  public:
    WidgetListener() = default;
    WidgetListener(const WidgetListener&) = delete;
    WidgetListener& operator=(const WidgetListener&) = delete;

    // A push button pressed (a click, Space, Enter on the default button, its access key).
    virtual void pressed() = 0;
    // A check box or option button the user checked or cleared.
    virtual void checkedByUser(bool checked) = 0;
    // The text of a text box as the user's edit left it.
    virtual void editedTo(const std::string& text) = 0;
    // The position a scroll bar was moved to: an arrow, a page, or the end of a thumb drag.
    virtual void scrolledTo(int position) = 0;
    // The widget took the keyboard focus.
    virtual void focusTaken() = 0;

    virtual ~WidgetListener() = default;
};

// One child widget of a window as a toolkit draws it, owning its native widget. Placed in
// pixels of its window's client area.
class Widget {
  public:
    virtual ~Widget() = default;

    virtual void setCaption(const std::string& caption) = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void place(const PixelRect& place) = 0;
    // The room its caption takes in the window's font, with a check mark and the gap after
    // it where the widget draws one.
    virtual PixelSize captionSize() const = 0;
    virtual void takeFocus() = 0;
};

// A check box or an option button.
class CheckWidget : public Widget {
  public:
    virtual void setChecked(bool checked) = 0;
};

class TextWidget : public Widget {
  public:
    virtual void setText(const std::string& text) = 0;
};

// A vertical scroll bar whose range is fixed when it is made.
class ScrollWidget : public Widget {
  public:
    virtual void setPosition(int position) = 0;
};

}  // namespace velmora
