#include "window/SettingsWindowBinder.h"

#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>

#include "window/WindowLayout.h"

namespace velmora {

// One control and the widget that shows it. The kinds below hear the user's actions that
// their control takes; the rest are not reported for them.
class SettingsWindowBinder::Binding : public WidgetListener {
  public:
    Binding(SettingsWindowBinder& binder, Control& control, bool followsCaption)
        : binder_(binder), control_(control), followsCaption_(followsCaption) {}

    Control& control() const { return control_; }
    Widget& widget() const { return *widget_; }
    LayoutItem layoutItem() const {
        return {.design = control_.rect(),
                .caption = followsCaption_ ? std::optional(widget_->captionSize()) : std::nullopt};
    }
    void place(const PixelRect& place) {
        if (place != placed_) {
            placed_ = place;
            widget_->place(place);
        }
    }
    WidgetDesign design() { return {control_.caption(), control_.takesFocus(), *this}; }

    // Shows the control's state on `widget`, and keeps showing it.
    void attach(std::unique_ptr<Widget> widget) {
        widget_ = std::move(widget);
        widget_->setEnabled(control_.enabled());
        widget_->setVisible(control_.visible());
        showValue();
        subscription_ = control_.observe([this](ControlProperty property) { show(property); });
    }

    // Neither shows nor hears any more: the widgets are about to go, and what they report
    // meanwhile (the focus moving among them) is no longer the user's.
    void detach() {
        subscription_ = {};
        detached_ = true;
    }

    void pressed() override {
        if (!detached_) {
            press();
        }
    }
    void checkedByUser(bool checked) override {
        if (!detached_) {
            check(checked);
        }
    }
    void editedTo(const std::string& text) override {
        if (!detached_) {
            edit(text);
        }
    }
    void scrolledTo(int position) override {
        if (!detached_) {
            scroll(position);
        }
    }
    void focusTaken() override {
        if (!detached_ && binder_.window_.focused() != &control_) {
            binder_.window_.setFocus(control_);
        }
    }

  protected:
    // What the user's actions do to the control; nothing for a kind that has no such action.
    virtual void press() {}
    virtual void check(bool /*checked*/) {}
    virtual void edit(const std::string& /*text*/) {}
    virtual void scroll(int /*position*/) {}
    // The control's own value (checked, text, position) on the widget.
    virtual void showValue() {}

  private:
    void show(ControlProperty property) {
        switch (property) {
            case ControlProperty::Caption:
                widget_->setCaption(control_.caption());
                if (followsCaption_) {
                    binder_.layOut();
                }
                break;
            case ControlProperty::Enabled:
                widget_->setEnabled(control_.enabled());
                break;
            case ControlProperty::Visible:
                widget_->setVisible(control_.visible());
                break;
            case ControlProperty::Value:
            case ControlProperty::Text:
                showValue();
                break;
            default:
                break;
        }
    }

    SettingsWindowBinder& binder_;
    Control& control_;
    bool followsCaption_;
    std::unique_ptr<Widget> widget_;
    PixelRect placed_{-1, -1, -1, -1};
    Subscription subscription_;
    bool detached_ = false;
};

namespace {

using Binding = SettingsWindowBinder::Binding;

// A binding whose widget shows a value of the control's own, through its kind's interface.
template <class WidgetKind>
class ValueBinding : public Binding {
  public:
    using Binding::Binding;

    void attach(std::unique_ptr<WidgetKind> widget) {
        shown_ = widget.get();
        Binding::attach(std::move(widget));
    }

  protected:
    WidgetKind& shown() const { return *shown_; }

  private:
    WidgetKind* shown_ = nullptr;
};

class ButtonBinding final : public Binding {
  public:
    ButtonBinding(SettingsWindowBinder& binder, CommandButton& button)
        : Binding(binder, button, false), button_(button) {}

  protected:
    void press() override { button_.click(); }

  private:
    CommandButton& button_;
};

// The widget of a check box or an option button, whose check mark shows the value.
template <class CheckControl>
class CheckBinding final : public ValueBinding<CheckWidget> {
  public:
    CheckBinding(SettingsWindowBinder& binder, CheckControl& check)
        : ValueBinding(binder, check, true), check_(check) {}

  protected:
    void check(bool checked) override {
        if constexpr (std::is_same_v<CheckControl, OptionButton>) {
            // An option is cleared by choosing another; the group reports that one.
            if (checked) {
                check_.setValue(true);
            }
        } else {
            check_.setValue(checked ? 1 : 0);
        }
    }
    void showValue() override { shown().setChecked(check_.value() != 0); }

  private:
    CheckControl& check_;
};

class TextBinding final : public ValueBinding<TextWidget> {
  public:
    TextBinding(SettingsWindowBinder& binder, TextBox& text)
        : ValueBinding(binder, text, false), text_(text) {}

  protected:
    void edit(const std::string& text) override { text_.setText(text); }
    void showValue() override { shown().setText(text_.text()); }

  private:
    TextBox& text_;
};

class ScrollBinding final : public ValueBinding<ScrollWidget> {
  public:
    ScrollBinding(SettingsWindowBinder& binder, ScrollBar& bar)
        : ValueBinding(binder, bar, false), bar_(bar) {}

  protected:
    void scroll(int position) override { bar_.setValue(position); }
    void showValue() override { shown().setPosition(bar_.value()); }

  private:
    ScrollBar& bar_;
};

}  // namespace

SettingsWindowBinder::SettingsWindowBinder(SettingsWindowControls& window, WindowSurface& surface)
    : window_(window), surface_(surface) {
    // Made in tab order, frames before what they surround: the toolkits' tab order and
    // access keys follow the order of making.
    std::vector<Control*> controls = window_.allControls();
    std::ranges::stable_sort(controls, {}, &Control::tabIndex);
    for (Control* control : controls) {
        bindings_.push_back(bind(*control));
    }
    surface_.setTitle(window_.caption());
    setClientSize();
    layOut();
    bindWindow();
    surface_.setListener(this);
    if (window_.visible()) {
        showWindow();
    }
}

SettingsWindowBinder::~SettingsWindowBinder() {
    surface_.setListener(nullptr);
    subscriptions_.clear();
    for (const auto& binding : bindings_) {
        binding->detach();
    }
}

std::unique_ptr<SettingsWindowBinder::Binding> SettingsWindowBinder::bind(Control& control) {
    if (auto* box = dynamic_cast<CheckBox*>(&control)) {
        auto binding = std::make_unique<CheckBinding<CheckBox>>(*this, *box);
        binding->attach(surface_.addCheckBox(binding->design()));
        return binding;
    }
    if (auto* option = dynamic_cast<OptionButton*>(&control)) {
        auto binding = std::make_unique<CheckBinding<OptionButton>>(*this, *option);
        binding->attach(surface_.addOptionButton(binding->design(), option->index() == 0));
        return binding;
    }
    if (auto* text = dynamic_cast<TextBox*>(&control)) {
        auto binding = std::make_unique<TextBinding>(*this, *text);
        binding->attach(surface_.addTextBox(binding->design()));
        return binding;
    }
    if (auto* bar = dynamic_cast<ScrollBar*>(&control)) {
        auto binding = std::make_unique<ScrollBinding>(*this, *bar);
        binding->attach(surface_.addScrollBar(binding->design(), bar->minimum(), bar->maximum()));
        return binding;
    }
    std::unique_ptr<Binding> binding;
    if (auto* button = dynamic_cast<CommandButton*>(&control)) {
        binding = std::make_unique<ButtonBinding>(*this, *button);
        binding->attach(surface_.addButton(binding->design(), button->role()));
    } else if (dynamic_cast<Frame*>(&control) != nullptr) {
        binding = std::make_unique<Binding>(*this, control, false);
        binding->attach(surface_.addFrame(binding->design()));
    } else {
        binding = std::make_unique<Binding>(*this, control, true);
        binding->attach(surface_.addLabel(binding->design()));
    }
    return binding;
}

void SettingsWindowBinder::bindWindow() {
    subscriptions_.push_back(window_.observe([this](ControlProperty property) {
        switch (property) {
            case ControlProperty::Caption:
                surface_.setTitle(window_.caption());
                break;
            case ControlProperty::Visible:
                if (window_.visible()) {
                    showWindow();
                } else {
                    shown_ = false;
                    surface_.hideWindow();
                }
                break;
            case ControlProperty::WindowState:
                surface_.setMinimised(window_.windowState() == WindowState::Minimized);
                break;
            case ControlProperty::Focus:
                // A hidden window's focus shows when it is shown.
                if (shown_) {
                    showFocus();
                }
                break;
            default:
                break;
        }
    }));
}

Widget* SettingsWindowBinder::widgetFor(const Control& control) const {
    const auto found = std::ranges::find_if(
        bindings_, [&](const auto& binding) { return &binding->control() == &control; });
    return found == bindings_.end() ? nullptr : &(*found)->widget();
}

void SettingsWindowBinder::layOut() {
    std::vector<LayoutItem> items;
    items.reserve(bindings_.size());
    for (const auto& binding : bindings_) {
        items.push_back(binding->layoutItem());
    }
    const std::vector<PixelRect> places = velmora::layOut(items, surface_.dotsPerInch());
    for (std::size_t i = 0; i < bindings_.size(); ++i) {
        bindings_[i]->place(places[i]);
    }
}

void SettingsWindowBinder::showWindow() {
    surface_.showWindow();
    shown_ = true;
    showFocus();
}

void SettingsWindowBinder::showFocus() {
    if (const Control* focused = window_.focused()) {
        if (Widget* widget = widgetFor(*focused)) {
            widget->takeFocus();
        }
    }
}

void SettingsWindowBinder::setClientSize() {
    const int dotsPerInch = surface_.dotsPerInch();
    surface_.setClientSize({twipsToPixels(window_.clientWidth(), dotsPerInch),
                            twipsToPixels(window_.clientHeight(), dotsPerInch)});
}

void SettingsWindowBinder::minimisedByUser(bool minimised) {
    window_.setWindowState(minimised ? WindowState::Minimized : WindowState::Normal);
}

void SettingsWindowBinder::densityChanged() {
    setClientSize();
    layOut();
}

}  // namespace velmora
