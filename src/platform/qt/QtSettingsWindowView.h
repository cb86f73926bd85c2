#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <vector>

#include "window/WindowControls.h"

namespace velmora {

class SettingsWindow;

// The Qt widgets of the settings window, bound to its toolkit-free state: every change of a
// control shows on its widget, and every user action on a widget goes to the control (and
// from there to the window's rules). The view holds no state of its own and must go before
// the window it shows.
class QtSettingsWindowView final : public QDialog {
    Q_OBJECT

  public:
    explicit QtSettingsWindowView(SettingsWindow& window, QWidget* parent = nullptr);
    ~QtSettingsWindowView() override;

    // The widget that shows `control`, or nullptr.
    QWidget* widgetFor(const Control& control) const;

    // Runs when the user closes the window from its title bar (close box, system menu,
    // Alt+F4); the window itself stays. By default it discards the edits as Cancel does.
    std::function<void()> onUserClose;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void reject() override;

  private:
    void buildWidgets();
    void bindForm();
    void bindCommon(Control& control, QWidget* widget);
    void bindLabel(Control& control);
    void bindFrame(Control& control);
    void bindButton(CommandButton& button);
    void bindCheckBox(CheckBox& box);
    void bindOption(OptionButton& option);
    void bindTextBox(TextBox& text);
    void bindScrollBar(ScrollBar& bar);
    void setTabOrder();
    void showCentred();
    void focusMoved(QWidget* now);

    SettingsWindow& window_;
    std::map<const Control*, QWidget*> widgets_;
    std::map<const QWidget*, Control*> controls_;
    std::vector<Subscription> subscriptions_;
    bool placed_ = false;
};

}  // namespace velmora
