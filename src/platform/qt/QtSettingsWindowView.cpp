#include "qt/QtSettingsWindowView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QRadioButton>
#include <QScreen>

#include "qt/QtProgramIcon.h"
#include "qt/QtWindowWidgets.h"
#include "window/SettingsWindow.h"

namespace velmora {

namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

// Japanese text comes first from a font made for it.
QFont windowFont(QFont font) {
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    font.setPixelSize(kLayoutFontPixels);
    return font;
}

}  // namespace

QtSettingsWindowView::QtSettingsWindowView(SettingsWindow& window, QWidget* parent)
    : QDialog(parent) {
    onUserClose = [&window] { window.onCancelClicked(); };
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setFont(windowFont(font()));
    binder_.emplace(window, static_cast<WindowSurface&>(*this));
}

QtSettingsWindowView::~QtSettingsWindowView() {
    // The widgets go with the binder, before the dialog.
    binder_.reset();
}

QWidget* QtSettingsWindowView::widgetFor(const Control& control) const {
    const auto* native = dynamic_cast<const QtNativeWidget*>(binder_->widgetFor(control));
    return native == nullptr ? nullptr : native->nativeWidget();
}

void QtSettingsWindowView::setListener(WindowSurfaceListener* listener) {
    listener_ = listener;
}

int QtSettingsWindowView::dotsPerInch() const {
    // Qt lays out in device-independent pixels, which it scales to the screen itself.
    return kTwipsPerInch / kTwipsPerPixel;
}

void QtSettingsWindowView::setTitle(const std::string& title) {
    setWindowTitle(qText(title));
}

void QtSettingsWindowView::setClientSize(PixelSize size) {
    setFixedSize(size.width, size.height);
}

void QtSettingsWindowView::showWindow() {
    show();
    // Placed once, after showing, when the size of the window frame is known.
    if (!placed_) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        placed_ = true;
    }
    raise();
    activateWindow();
}

void QtSettingsWindowView::hideWindow() {
    hide();
}

void QtSettingsWindowView::setMinimised(bool minimised) {
    if (minimised) {
        // A window that is already hidden (Cancel minimises and hides it; the shell hides it
        // as soon as it is minimised) is not iconified: on X11 the iconic state would outlive
        // the hiding and come back when it is shown.
        if (isVisible()) {
            setWindowState(windowState() | Qt::WindowMinimized);
        }
    } else {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
}

void QtSettingsWindowView::leadLabelTo(QWidget* widget, const WidgetDesign& design) {
    if (design.takesFocus && labelAwaitingBuddy_ != nullptr) {
        labelAwaitingBuddy_->setBuddy(widget);
        labelAwaitingBuddy_ = nullptr;
    }
}

std::unique_ptr<Widget> QtSettingsWindowView::addLabel(const WidgetDesign& design) {
    auto* label = new QLabel(qText(design.caption), this);
    labelAwaitingBuddy_ = label;
    return std::make_unique<QtLabelWidget>(label, design);
}

std::unique_ptr<Widget> QtSettingsWindowView::addFrame(const WidgetDesign& design) {
    return std::make_unique<QtFrameWidget>(new QGroupBox(qText(design.caption), this), design);
}

std::unique_ptr<Widget> QtSettingsWindowView::addButton(const WidgetDesign& design,
                                                        CommandButton::Role role) {
    auto* button = new QPushButton(qText(design.caption), this);
    button->setAutoDefault(true);
    button->setDefault(role == CommandButton::Role::Default);
    if (role == CommandButton::Role::Cancel) {
        cancelButton_ = button;
    }
    leadLabelTo(button, design);
    return std::make_unique<QtButtonWidget>(button, design);
}

std::unique_ptr<CheckWidget> QtSettingsWindowView::addCheckBox(const WidgetDesign& design) {
    auto* box = new QCheckBox(qText(design.caption), this);
    leadLabelTo(box, design);
    return std::make_unique<QtCheckWidget>(box, design);
}

std::unique_ptr<CheckWidget> QtSettingsWindowView::addOptionButton(const WidgetDesign& design,
                                                                   bool /*startsGroup*/) {
    // Qt groups the option buttons of one parent by itself.
    auto* option = new QRadioButton(qText(design.caption), this);
    leadLabelTo(option, design);
    return std::make_unique<QtCheckWidget>(option, design);
}

std::unique_ptr<TextWidget> QtSettingsWindowView::addTextBox(const WidgetDesign& design) {
    auto text = std::make_unique<QtTextWidget>(this, design);
    leadLabelTo(text->nativeWidget(), design);
    return text;
}

std::unique_ptr<ScrollWidget> QtSettingsWindowView::addScrollBar(const WidgetDesign& design,
                                                                 int minimum, int maximum) {
    auto bar = std::make_unique<QtScrollWidget>(this, design, minimum, maximum);
    leadLabelTo(bar->nativeWidget(), design);
    return bar;
}

void QtSettingsWindowView::closeEvent(QCloseEvent* event) {
    // A close the user asks for arrives from the window system; a close from the program
    // (the application quitting) is let through.
    if (event->spontaneous()) {
        event->ignore();
        if (onUserClose) {
            onUserClose();
        }
        return;
    }
    // Not QDialog's own handling, which would turn the close into a Cancel.
    QWidget::closeEvent(event);  // NOLINT(bugprone-parent-virtual-call)
}

void QtSettingsWindowView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && listener_ != nullptr) {
        listener_->minimisedByUser(isMinimized());
    }
    QDialog::changeEvent(event);
}

void QtSettingsWindowView::reject() {
    // Esc presses the cancel button; the dialog does not close itself.
    if (cancelButton_ != nullptr) {
        cancelButton_->click();
    }
}

}  // namespace velmora
