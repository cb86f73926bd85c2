#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "support/fakes/FakeSettings.h"
#include "window/SettingsWindow.h"

namespace velmora::test {

// Keys held while a character is typed.
struct HeldChord {
    bool alt = false;
    bool ctrl = false;
    bool meta = false;  // the Windows or Super key
    bool altGr = false;
};

// A toolkit's settings window view, driven as the user drives it: through the toolkit's
// own input (key presses, clicks, window messages) and read back from its widgets.
class SettingsWindowViewDriver {
  public:
    virtual ~SettingsWindowViewDriver() = default;

    // Shows the window as the tray does and waits until it is active.
    virtual void open() = 0;
    virtual bool windowShown() = 0;
    virtual int dotsPerInch() = 0;
    virtual PixelSize clientSize() = 0;

    virtual void click(const Control& control) = 0;
    // The user puts the keyboard focus on the control's widget.
    virtual void focus(const Control& control) = 0;
    // The control whose widget has the keyboard focus, or null.
    virtual const Control* focusedWidget() = 0;
    virtual void pressTab() = 0;
    virtual void pressEnter() = 0;
    virtual void pressEsc() = 0;
    virtual void pressAccessKey(char letter) = 0;
    virtual void pressArrowUp() = 0;
    // Types into the widget with the focus, held keys and all.
    virtual void type(const std::string& text, HeldChord held = {}) = 0;
    virtual void selectAllText() = 0;
    virtual void closeFromTitleBar() = 0;
    virtual void minimise() = 0;

    // The scroll bar's thumb dragged to `position`, and the drag ended there.
    virtual void dragThumbTo(int position) = 0;
    virtual void releaseThumbAt(int position) = 0;

    virtual std::string shownText(const Control& control) = 0;
    virtual bool shownEnabled(const Control& control) = 0;
    virtual bool shownChecked(const Control& control) = 0;
    virtual int shownPosition(const Control& control) = 0;
    // Where the widget stands in the window's client area, in pixels.
    virtual PixelRect placeOf(const Control& control) = 0;
};

// Makes the driver of a view of `window`; null where the toolkit has no display to show on.
struct SettingsWindowViewMaker {
    std::string name;
    std::function<std::unique_ptr<SettingsWindowViewDriver>(SettingsWindow& window)> make;
};

inline std::ostream& operator<<(std::ostream& out, const SettingsWindowViewMaker& maker) {
    return out << maker.name;
}

// What the settings window does on every toolkit. A toolkit joins by instantiating the
// suite with the maker of its view's driver.
class SettingsWindowViewContract : public ::testing::TestWithParam<SettingsWindowViewMaker> {
  protected:
    void SetUp() override {
        view = GetParam().make(window);
        if (!view) {
            GTEST_SKIP() << "no display to show windows on";
        }
    }

    std::string focusedName() const {
        const Control* focused = window.focused();
        return focused == nullptr ? "" : focused->name() + std::to_string(focused->index());
    }

    FakeSettings settings;
    SettingsWindow window{settings.settings};
    std::unique_ptr<SettingsWindowViewDriver> view;
};

}  // namespace velmora::test
