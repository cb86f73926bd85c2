#include "qt/QtSettingsWindowView.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "qt/QtProgramIcon.h"
#include "window/SettingsWindow.h"

namespace velmora {

namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

int pixels(int twips) {
    return twipsToPixels(twips);
}

QRect qRect(const PixelRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

QRect pixelRect(const TwipsRect& rect) {
    return qRect(twipsToPixels(rect));
}

// Japanese text comes first from a font made for it.
QFont windowFont(QFont font) {
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    font.setPixelSize(kLayoutFontPixels);
    return font;
}

void fitCaption(QWidget* widget, const TwipsRect& rect) {
    const QSize needed = widget->sizeHint();
    widget->setGeometry(
        qRect(velmora::fitCaption(twipsToPixels(rect), needed.width(), needed.height())));
}

// Alt and Meta as the rule knows them. AltGr is neither: X11 reports it as the group switch,
// Wayland as no modifier at all. Ctrl chords are left to QLineEdit, which types nothing for
// them and keeps paste and its other editing keys.
bool isUnclaimedCommandChord(const QKeyEvent& event) {
    const QString typed = event.text();
    if (typed.isEmpty()) {
        return false;
    }
    return velmora::isUnclaimedCommandChord(
        {.character = typed.toUcs4().value(0),
         .altHeld = event.modifiers().testFlag(Qt::AltModifier),
         .metaHeld = event.modifiers().testFlag(Qt::MetaModifier)});
}

class TextBoxEdit final : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (isUnclaimedCommandChord(*event)) {
            event->ignore();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

}  // namespace

QtSettingsWindowView::QtSettingsWindowView(SettingsWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
    onUserClose = [this] { window_.onCancelClicked(); };
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setFont(windowFont(font()));
    setFixedSize(pixels(window.clientWidth()), pixels(window.clientHeight()));
    buildWidgets();
    setTabOrder();
    bindForm();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusMoved(now); });
    if (window_.visible()) {
        showCentred();
    }
}

QtSettingsWindowView::~QtSettingsWindowView() {
    // The widgets go after the members; focus moves while they go must not reach the maps.
    disconnect(qApp, nullptr, this, nullptr);
    subscriptions_.clear();
}

QWidget* QtSettingsWindowView::widgetFor(const Control& control) const {
    const auto found = widgets_.find(&control);
    return found == widgets_.end() ? nullptr : found->second;
}

void QtSettingsWindowView::buildWidgets() {
    for (Frame* frame : {&window_.vendorFrame, &window_.computerFrame, &window_.definitionsFrame,
                         &window_.autoUpdateFrame}) {
        bindFrame(*frame);
    }
    for (Control* control : window_.allControls()) {
        if (dynamic_cast<Frame*>(control) != nullptr) {
            continue;
        }
        if (auto* box = dynamic_cast<CheckBox*>(control)) {
            bindCheckBox(*box);
        } else if (auto* option = dynamic_cast<OptionButton*>(control)) {
            bindOption(*option);
        } else if (auto* button = dynamic_cast<CommandButton*>(control)) {
            bindButton(*button);
        } else if (auto* text = dynamic_cast<TextBox*>(control)) {
            bindTextBox(*text);
        } else if (auto* bar = dynamic_cast<ScrollBar*>(control)) {
            bindScrollBar(*bar);
        } else {
            bindLabel(*control);
        }
    }
    // Alt+N on the interval label moves the focus to the text box it names.
    qobject_cast<QLabel*>(widgetFor(window_.intervalLabels[0]))
        ->setBuddy(widgetFor(window_.intervalBox));
}

void QtSettingsWindowView::bindForm() {
    setWindowTitle(qText(window_.caption()));
    subscriptions_.push_back(window_.observe([this](ControlProperty property) {
        switch (property) {
            case ControlProperty::Caption:
                setWindowTitle(qText(window_.caption()));
                break;
            case ControlProperty::Visible:
                if (window_.visible()) {
                    showCentred();
                } else {
                    hide();
                }
                break;
            case ControlProperty::WindowState:
                if (window_.windowState() == WindowState::Minimized) {
                    // A window that is already hidden (Cancel minimises and hides it; the
                    // shell hides it as soon as it is minimised) is not iconified: on X11 the
                    // iconic state would outlive the hiding and come back when it is shown.
                    if (isVisible()) {
                        setWindowState(windowState() | Qt::WindowMinimized);
                    }
                } else {
                    setWindowState(windowState() & ~Qt::WindowMinimized);
                }
                break;
            case ControlProperty::Focus:
                if (QWidget* target = widgetFor(*window_.focused());
                    target != nullptr && !target->hasFocus()) {
                    target->setFocus(Qt::OtherFocusReason);
                }
                break;
            default:
                break;
        }
    }));
}

void QtSettingsWindowView::bindCommon(Control& control, QWidget* widget) {
    widgets_[&control] = widget;
    controls_[widget] = &control;
    widget->setGeometry(pixelRect(control.rect()));
    widget->setEnabled(control.enabled());
    widget->setVisible(control.visible());
    if (!control.takesFocus()) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    subscriptions_.push_back(control.observe([&control, widget](ControlProperty property) {
        if (property == ControlProperty::Enabled) {
            widget->setEnabled(control.enabled());
        } else if (property == ControlProperty::Visible) {
            widget->setVisible(control.visible());
        }
    }));
}

void QtSettingsWindowView::bindLabel(Control& control) {
    auto* label = new QLabel(qText(control.caption()), this);
    bindCommon(control, label);
    fitCaption(label, control.rect());
    subscriptions_.push_back(control.observe([&control, label](ControlProperty property) {
        if (property == ControlProperty::Caption) {
            label->setText(qText(control.caption()));
            fitCaption(label, control.rect());
        }
    }));
}

void QtSettingsWindowView::bindFrame(Control& control) {
    auto* frame = new QGroupBox(qText(control.caption()), this);
    bindCommon(control, frame);
    subscriptions_.push_back(control.observe([&control, frame](ControlProperty property) {
        if (property == ControlProperty::Caption) {
            frame->setTitle(qText(control.caption()));
        }
    }));
}

void QtSettingsWindowView::bindButton(CommandButton& button) {
    auto* push = new QPushButton(qText(button.caption()), this);
    bindCommon(button, push);
    push->setAutoDefault(true);
    push->setDefault(button.role() == CommandButton::Role::Default);
    connect(push, &QPushButton::clicked, this, [&button] { button.click(); });
    subscriptions_.push_back(button.observe([&button, push](ControlProperty property) {
        if (property == ControlProperty::Caption) {
            push->setText(qText(button.caption()));
        }
    }));
}

void QtSettingsWindowView::bindCheckBox(CheckBox& box) {
    auto* check = new QCheckBox(qText(box.caption()), this);
    bindCommon(box, check);
    fitCaption(check, box.rect());
    check->setChecked(box.value() == 1);
    connect(check, &QCheckBox::toggled, this,
            [&box](bool checked) { box.setValue(checked ? 1 : 0); });
    subscriptions_.push_back(box.observe([&box, check](ControlProperty property) {
        if (property == ControlProperty::Value) {
            check->setChecked(box.value() == 1);
        }
    }));
}

void QtSettingsWindowView::bindOption(OptionButton& option) {
    auto* radio = new QRadioButton(qText(option.caption()), this);
    bindCommon(option, radio);
    fitCaption(radio, option.rect());
    radio->setChecked(option.value());
    connect(radio, &QRadioButton::toggled, this, [&option](bool checked) {
        if (checked) {
            option.setValue(true);
        }
    });
    subscriptions_.push_back(option.observe([&option, radio](ControlProperty property) {
        if (property == ControlProperty::Value && option.value()) {
            radio->setChecked(true);
        }
    }));
}

void QtSettingsWindowView::bindTextBox(TextBox& text) {
    auto* edit = new TextBoxEdit(qText(text.text()), this);
    bindCommon(text, edit);
    connect(edit, &QLineEdit::textEdited, this,
            [&text](const QString& typed) { text.setText(typed.toStdString()); });
    subscriptions_.push_back(text.observe([&text, edit](ControlProperty property) {
        if (property == ControlProperty::Text && edit->text() != qText(text.text())) {
            edit->setText(qText(text.text()));
        }
    }));
}

void QtSettingsWindowView::bindScrollBar(ScrollBar& bar) {
    auto* scroll = new QScrollBar(Qt::Vertical, this);
    bindCommon(bar, scroll);
    // Position 1 at the top: the up arrow lowers the position, which adds an hour.
    scroll->setRange(bar.minimum(), bar.maximum());
    scroll->setSingleStep(bar.smallChange());
    scroll->setPageStep(bar.largeChange());
    scroll->setValue(bar.value());
    scroll->setFocusPolicy(Qt::StrongFocus);
    connect(scroll, &QScrollBar::valueChanged, this, [&bar](int value) { bar.setValue(value); });
    subscriptions_.push_back(bar.observe([&bar, scroll](ControlProperty property) {
        if (property == ControlProperty::Value) {
            scroll->setValue(bar.value());
        }
    }));
}

void QtSettingsWindowView::setTabOrder() {
    QWidget* previous = nullptr;
    for (const Control* control : window_.tabOrder()) {
        QWidget* widget = widgetFor(*control);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void QtSettingsWindowView::showCentred() {
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

void QtSettingsWindowView::focusMoved(QWidget* now) {
    const auto found = controls_.find(now);
    if (found != controls_.end() && window_.focused() != found->second) {
        window_.setFocus(*found->second);
    }
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
    if (event->type() == QEvent::WindowStateChange) {
        window_.setWindowState(isMinimized() ? WindowState::Minimized : WindowState::Normal);
    }
    QDialog::changeEvent(event);
}

void QtSettingsWindowView::reject() {
    // Esc presses the cancel button; the dialog does not close itself.
    window_.cancelButton.click();
}

}  // namespace velmora
