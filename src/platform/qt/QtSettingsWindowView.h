#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <optional>

#include "window/SettingsWindowBinder.h"
#include "window/WindowSurface.h"

namespace velmora {

class SettingsWindow;

// The settings window as a Qt dialog, its widgets bound to the window's controls. It holds
// no state of its own and must go before the window it shows.
class QtSettingsWindowView final : public QDialog, private WindowSurface {
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

    // A label's access key leads to the next widget made that can take the focus.
    void leadLabelTo(QWidget* widget, const WidgetDesign& design);

    WindowSurfaceListener* listener_ = nullptr;
    QLabel* labelAwaitingBuddy_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    bool placed_ = false;
    std::optional<SettingsWindowBinder> binder_;
};

}  // namespace velmora
