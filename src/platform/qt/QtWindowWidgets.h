#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <string>

#include "window/Widget.h"
#include "window/WindowSurface.h"

namespace velmora {

// The Qt widget behind a toolkit-free one.
class QtNativeWidget {
  public:
    QtNativeWidget() = default;
    virtual ~QtNativeWidget() = default;
    QtNativeWidget(const QtNativeWidget&) = delete;
    QtNativeWidget& operator=(const QtNativeWidget&) = delete;
    virtual QWidget* nativeWidget() const = 0;
};

void setQtCaption(QLabel* label, const std::string& caption);
void setQtCaption(QGroupBox* frame, const std::string& caption);
void setQtCaption(QAbstractButton* button, const std::string& caption);
// A text box or a scroll bar has no caption to show.
inline void setQtCaption(QWidget* /*widget*/, const std::string& /*caption*/) {}

// A Qt widget behind the toolkit-free widget interface. It owns the widget: a window's
// widgets go before it does.
template <class Interface, class QtType>
class QtWindowWidget : public Interface, public QtNativeWidget {
  public:
    QtWindowWidget(QtType* widget, const WidgetDesign& design)
        : widget_(widget), listener_(design.listener) {
        if (!design.takesFocus) {
            widget_->setFocusPolicy(Qt::NoFocus);
        }
        // The connection ends with the widget.
        QObject::connect(qApp, &QApplication::focusChanged, widget_,
                         [this](QWidget* /*old*/, QWidget* now) {
                             if (now == widget_) {
                                 listener_.focusTaken();
                             }
                         });
    }
    ~QtWindowWidget() override { delete widget_; }
    QtWindowWidget(const QtWindowWidget&) = delete;
    QtWindowWidget& operator=(const QtWindowWidget&) = delete;

    QWidget* nativeWidget() const override { return widget_; }

    void setCaption(const std::string& caption) override { setQtCaption(widget_, caption); }
    void setEnabled(bool enabled) override { widget_->setEnabled(enabled); }
    void setVisible(bool visible) override { widget_->setVisible(visible); }
    void place(const PixelRect& place) override {
        widget_->setGeometry(place.left, place.top, place.width, place.height);
    }
    PixelSize captionSize() const override {
        const QSize hint = widget_->sizeHint();
        return {hint.width(), hint.height()};
    }
    void takeFocus() override {
        if (!widget_->hasFocus()) {
            widget_->setFocus(Qt::OtherFocusReason);
        }
    }

  protected:
    QtType* widget() const { return widget_; }
    WidgetListener& listener() const { return listener_; }

  private:
    QtType* widget_;
    WidgetListener& listener_;
};

using QtLabelWidget = QtWindowWidget<Widget, QLabel>;
using QtFrameWidget = QtWindowWidget<Widget, QGroupBox>;

class QtButtonWidget final : public QtWindowWidget<Widget, QPushButton> {
  public:
    QtButtonWidget(QPushButton* button, const WidgetDesign& design);
};

// A check box or an option button.
class QtCheckWidget final : public QtWindowWidget<CheckWidget, QAbstractButton> {
  public:
    QtCheckWidget(QAbstractButton* button, const WidgetDesign& design);
    void setChecked(bool checked) override;
};

// A line edit in which a command chord no access key took types nothing.
class QtTextWidget final : public QtWindowWidget<TextWidget, QLineEdit> {
  public:
    QtTextWidget(QWidget* parent, const WidgetDesign& design);
    void setText(const std::string& text) override;
};

class QtScrollWidget final : public QtWindowWidget<ScrollWidget, QScrollBar> {
  public:
    QtScrollWidget(QWidget* parent, const WidgetDesign& design, int minimum, int maximum);
    void setPosition(int position) override;
};

}  // namespace velmora
