#include "window/WindowControls.h"

#include <algorithm>
#include <utility>

namespace velmora {

PixelRect twipsToPixels(const TwipsRect& rect, int dotsPerInch) {
    return {twipsToPixels(rect.left, dotsPerInch), twipsToPixels(rect.top, dotsPerInch),
            twipsToPixels(rect.width, dotsPerInch), twipsToPixels(rect.height, dotsPerInch)};
}

bool isUnclaimedCommandChord(const TypedKey& key) {
    // Control characters (Backspace, Enter, Esc, and the C1 range) are editing keys, not
    // text.
    const char32_t c = key.character;
    const bool printable = c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0);
    return (key.altHeld || key.metaHeld) && printable;
}

Control::Control(Design design) : design_(std::move(design)), caption_(design_.caption) {}

void Control::setCaption(const std::string& caption) {
    if (caption_ != caption) {
        caption_ = caption;
        notify(ControlProperty::Caption);
    }
}

void Control::setEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        notify(ControlProperty::Enabled);
    }
}

void Control::setVisible(bool visible) {
    if (visible_ != visible) {
        visible_ = visible;
        notify(ControlProperty::Visible);
    }
}

void Control::setTag(const std::string& tag) {
    if (tag_ != tag) {
        tag_ = tag;
        notify(ControlProperty::Tag);
    }
}

Subscription Control::observe(Observer observer) {
    auto shared = std::make_shared<Observer>(std::move(observer));
    observers_.push_back(shared);
    return Subscription(std::move(shared));
}

void Control::notify(ControlProperty property) {
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    // A copy, so that an observer may subscribe or unsubscribe while being called.
    const auto observers = observers_;
    for (const auto& weak : observers) {
        if (const auto observer = weak.lock()) {
            (*observer)(property);
        }
    }
}

CommandButton::CommandButton(Design design, Role role) : Control(std::move(design)), role_(role) {}

void CommandButton::click() {
    if (enabled() && onClick) {
        onClick();
    }
}

void CheckBox::setValue(std::int16_t value) {
    if (value_ == value) {
        return;
    }
    value_ = value;
    notify(ControlProperty::Value);
    if (onClick) {
        onClick();
    }
}

OptionButton::OptionButton(Design design, OptionGroup& group)
    : Control(std::move(design)), group_(group) {}

void OptionButton::setValue(bool value) {
    if (value) {
        group_.select(*this);
    } else {
        store(false);
    }
}

void OptionButton::store(bool value) {
    if (value_ != value) {
        value_ = value;
        notify(ControlProperty::Value);
    }
}

OptionButton& OptionGroup::add(Control::Design design, const std::string& tag) {
    design.index = static_cast<int>(options_.size());
    options_.push_back(std::make_unique<OptionButton>(std::move(design), *this));
    options_.back()->setTag(tag);
    return *options_.back();
}

int OptionGroup::selectedIndex() const {
    for (std::size_t i = 0; i < options_.size(); ++i) {
        if (options_[i]->value()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void OptionGroup::select(OptionButton& chosen) {
    if (chosen.value()) {
        return;
    }
    for (const auto& option : options_) {
        if (option.get() != &chosen) {
            option->store(false);
        }
    }
    chosen.store(true);
    if (onClick) {
        onClick(chosen.index());
    }
}

void TextBox::setText(const std::string& text) {
    if (text_ != text) {
        text_ = text;
        notify(ControlProperty::Text);
    }
}

ScrollBar::ScrollBar(Design design, std::int16_t minimum, std::int16_t maximum)
    : Control(std::move(design)), minimum_(minimum), maximum_(maximum), value_(minimum) {}

void ScrollBar::setValue(int value) {
    const auto bounded = static_cast<std::int16_t>(std::clamp<int>(value, minimum_, maximum_));
    if (value_ == bounded) {
        return;
    }
    value_ = bounded;
    notify(ControlProperty::Value);
    if (onChange) {
        onChange();
    }
}

Timer::Timer(Design design, int intervalMs) : Control(std::move(design)), intervalMs_(intervalMs) {}

Form::Form(std::string name, std::string caption, int clientWidth, int clientHeight)
    : Control(Design{.name = std::move(name), .caption = std::move(caption), .rect = {}}),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {
    setVisible(false);
}

void Form::setWindowState(WindowState state) {
    if (windowState_ != state) {
        windowState_ = state;
        notify(ControlProperty::WindowState);
    }
}

bool Form::setFocus(Control& target) {
    if (!visible() || !target.canTakeFocus()) {
        return false;
    }
    if (focused_ == &target) {
        return true;
    }
    auto* leaving = dynamic_cast<TextBox*>(focused_);
    if (leaving != nullptr && leaving->onValidate && !validating_) {
        // The validation may itself ask for the focus (the text box keeps it meanwhile);
        // the move to the target goes ahead afterwards.
        validating_ = true;
        leaving->onValidate();
        validating_ = false;
        if (!visible() || !target.canTakeFocus()) {
            return false;
        }
    }
    focused_ = &target;
    notify(ControlProperty::Focus);
    return true;
}

}  // namespace velmora
