#include "qt/QtWindowWidgets.h"

#include <QKeyEvent>

namespace velmora {

namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
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

class CommandChordFreeEdit final : public QLineEdit {
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

void setQtCaption(QLabel* label, const std::string& caption) {
    label->setText(qText(caption));
}

void setQtCaption(QGroupBox* frame, const std::string& caption) {
    frame->setTitle(qText(caption));
}

void setQtCaption(QAbstractButton* button, const std::string& caption) {
    button->setText(qText(caption));
}

QtButtonWidget::QtButtonWidget(QPushButton* button, const WidgetDesign& design)
    : QtWindowWidget(button, design) {
    QObject::connect(button, &QPushButton::clicked, button, [this] { listener().pressed(); });
}

QtCheckWidget::QtCheckWidget(QAbstractButton* button, const WidgetDesign& design)
    : QtWindowWidget(button, design) {
    // Clicks, Space and the access key; not the program's own changes.
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [this](bool checked) { listener().checkedByUser(checked); });
}

void QtCheckWidget::setChecked(bool checked) {
    widget()->setChecked(checked);
}

QtTextWidget::QtTextWidget(QWidget* parent, const WidgetDesign& design)
    : QtWindowWidget(new CommandChordFreeEdit(parent), design) {
    QObject::connect(widget(), &QLineEdit::textEdited, widget(),
                     [this](const QString& typed) { listener().editedTo(typed.toStdString()); });
}

void QtTextWidget::setText(const std::string& text) {
    // Set again only when it differs, so that typing keeps its cursor.
    if (widget()->text() != qText(text)) {
        widget()->setText(qText(text));
    }
}

QtScrollWidget::QtScrollWidget(QWidget* parent, const WidgetDesign& design, int minimum,
                               int maximum)
    : QtWindowWidget(new QScrollBar(Qt::Vertical, parent), design) {
    widget()->setRange(minimum, maximum);
    widget()->setSingleStep(1);
    widget()->setPageStep(1);
    widget()->setFocusPolicy(Qt::StrongFocus);
    // A drag of the thumb moves the value when it ends.
    widget()->setTracking(false);
    QObject::connect(widget(), &QScrollBar::valueChanged, widget(),
                     [this](int position) { listener().scrolledTo(position); });
}

void QtScrollWidget::setPosition(int position) {
    widget()->setValue(position);
}

}  // namespace velmora
