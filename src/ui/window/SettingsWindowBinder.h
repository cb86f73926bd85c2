#pragma once

#include <memory>
#include <vector>

#include "window/SettingsWindowControls.h"
#include "window/Widget.h"
#include "window/WindowSurface.h"

namespace velmora {

// Shows the settings window's controls on a toolkit's window and brings the user's actions
// back to them: every change of a control shows on its widget, every action on a widget goes
// to the control (and from there to the window's rules). Lays the widgets out from the
// design in twips at the window's density. Holds no state of the window's own; it must go
// before the controls and the surface.
class SettingsWindowBinder final : private WindowSurfaceListener {
  public:
    SettingsWindowBinder(SettingsWindowControls& window, WindowSurface& surface);
    ~SettingsWindowBinder() override;
    SettingsWindowBinder(const SettingsWindowBinder&) = delete;
    SettingsWindowBinder& operator=(const SettingsWindowBinder&) = delete;

    // The widget that shows `control`, or null.
    Widget* widgetFor(const Control& control) const;

    // Places every widget, after the room its caption takes now.
    void layOut();
    // Gives the focus to the widget of the control that holds it.
    void showFocus();

    class Binding;

  private:
    void minimisedByUser(bool minimised) override;
    void densityChanged() override;

    std::unique_ptr<Binding> bind(Control& control);
    void bindWindow();
    void showWindow();
    void setClientSize();

    SettingsWindowControls& window_;
    WindowSurface& surface_;
    std::vector<std::unique_ptr<Binding>> bindings_;
    std::vector<Subscription> subscriptions_;
    bool shown_ = false;
};

}  // namespace velmora
