#pragma once

#include <memory>
#include <string>

#include "window/Widget.h"
#include "window/WindowControls.h"

namespace velmora {

// What the user does to a window itself, as its toolkit reports it.
class WindowSurfaceListener {
  public:
    WindowSurfaceListener() = default;
    WindowSurfaceListener(const WindowSurfaceListener&) = delete;
    WindowSurfaceListener& operator=(const WindowSurfaceListener&) = delete;

    // The user minimised the window or restored it.
    virtual void minimisedByUser(bool minimised) = 0;
    // The window now shows at another density (moved to another screen, or the screen's
    // scale changed): its widgets have the font for it and are to be laid out again.
    virtual void densityChanged() = 0;

    virtual ~WindowSurfaceListener() = default;
};

// How a widget is made: its first caption, whether it can take the keyboard focus, and who
// hears what the user does to it.
struct WidgetDesign {
    std::string caption;
    bool takesFocus = false;
    WidgetListener& listener;
};

// A top-level window as a toolkit draws it, and the widgets it makes. Widgets are made in
// tab order: Tab follows that order, and an access key on a label takes the focus to the
// next widget after it that can take it. A widget must go before its window.
class WindowSurface {
  public:
    virtual ~WindowSurface() = default;

    virtual void setListener(WindowSurfaceListener* listener) = 0;
    // The dots per inch the window shows at now.
    virtual int dotsPerInch() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setClientSize(PixelSize size) = 0;
    // Shows the window in its normal state and activates it; centred on the screen the first
    // time.
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // A hidden window is not minimised: it shows in its normal state again.
    virtual void setMinimised(bool minimised) = 0;

    virtual std::unique_ptr<Widget> addLabel(const WidgetDesign& design) = 0;
    // A titled box drawn around the widgets made after it.
    virtual std::unique_ptr<Widget> addFrame(const WidgetDesign& design) = 0;
    // Enter presses the default button unless a push button has the focus; Esc presses the
    // cancel button.
    virtual std::unique_ptr<Widget> addButton(const WidgetDesign& design,
                                              CommandButton::Role role) = 0;
    virtual std::unique_ptr<CheckWidget> addCheckBox(const WidgetDesign& design) = 0;
    // Option buttons made one after another form a group that the arrow keys move in; the
    // first of a group starts it.
    virtual std::unique_ptr<CheckWidget> addOptionButton(const WidgetDesign& design,
                                                         bool startsGroup) = 0;
    // A single-line text box in which a key chord that no access key took types nothing.
    virtual std::unique_ptr<TextWidget> addTextBox(const WidgetDesign& design) = 0;
    // Position `minimum` at the top; a step or a page is one position.
    virtual std::unique_ptr<ScrollWidget> addScrollBar(const WidgetDesign& design, int minimum,
                                                       int maximum) = 0;
};

}  // namespace velmora
