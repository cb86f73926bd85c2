#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// Toolkit-free controls: the state a window's controls carry, and the events they raise.
// A view (Qt widgets, or none at all in tests and on the command line) observes the state
// and forwards the user's actions; the program's rules act on these objects only.

inline constexpr int kTwipsPerPixel = 15;

// Position and size in twips from the top-left corner of the window's client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kTwipsPerInch = 1440;
// The layouts' text size in pixels at 96 dots per inch, the screen they were drawn for;
// their widths assume a font with narrow Latin letters at that size.
inline constexpr int kLayoutFontPixels = 11;

// A length in twips on a screen of `dotsPerInch`, to the nearest pixel.
constexpr int twipsToPixels(int twips, int dotsPerInch = kTwipsPerInch / kTwipsPerPixel) {
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / kTwipsPerInch);
}

// A rectangle in pixels, as a view places a control.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

PixelRect twipsToPixels(const TwipsRect& rect, int dotsPerInch = kTwipsPerInch / kTwipsPerPixel);

// A key that typed `character` while Alt or Meta (the Windows or Super key) was held is a
// command. One that no enabled access key took (Alt+A while Apply is disabled) would
// reach a text box, which would type its letter: it types nothing. AltGr, with which some
// keyboard layouts type characters, is neither; each view tells it apart as its toolkit
// reports it.
struct TypedKey {
    char32_t character = 0;
    bool altHeld = false;
    bool metaHeld = false;
};
bool isUnclaimedCommandChord(const TypedKey& key);

// The observable properties. A view redraws the matching part of its widget.
enum class ControlProperty {
    Caption,
    Text,
    Value,
    Enabled,
    Visible,
    Tag,
    Range,
    WindowState,
    Focus,
};

// Keeps an observer registered while it lives. Safe to outlive the control it came from.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::shared_ptr<void> token) : token_(std::move(token)) {}

  private:
    std::shared_ptr<void> token_;
};

// What every control has: a name, a caption, an enabled and a visible state, a free text
// tag, and its design-time place on the window.
class Control {
  public:
    using Observer = std::function<void(ControlProperty)>;

    struct Design {
        std::string name;
        std::string caption;
        TwipsRect rect;
        int tabIndex = -1;  // -1: not in the tab order (a timer)
        bool takesFocus = false;
        int index = -1;  // element index inside a control array, -1 when not in one
    };

    explicit Control(Design design);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return design_.name; }
    int index() const { return design_.index; }
    const TwipsRect& rect() const { return design_.rect; }
    int tabIndex() const { return design_.tabIndex; }
    // Whether the control is of a kind that can hold the keyboard focus at all.
    bool takesFocus() const { return design_.takesFocus; }
    // Whether it can take the focus now: of that kind, enabled and visible.
    bool canTakeFocus() const { return design_.takesFocus && enabled_ && visible_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const std::string& tag() const { return tag_; }
    void setTag(const std::string& tag);

    // The observer is called after each actual change of a property, until the returned
    // subscription goes.
    [[nodiscard]] Subscription observe(Observer observer);

  protected:
    void notify(ControlProperty property);

  private:
    Design design_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string tag_;
    std::vector<std::weak_ptr<Observer>> observers_;
};

class Label : public Control {
  public:
    using Control::Control;
};

// A titled box drawn around other controls.
class Frame : public Control {
  public:
    using Control::Control;
};

// A push button. `click()` is the user's press: it runs `onClick` while the button is
// enabled, as a disabled button cannot be pressed.
class CommandButton : public Control {
  public:
    enum class Role { Normal, Default, Cancel };

    CommandButton(Design design, Role role = Role::Normal);

    Role role() const { return role_; }
    void click();

    std::function<void()> onClick;

  private:
    Role role_;
};

// Value 0 (clear) or 1 (checked). `onClick` runs whenever the value changes, whether the
// user or the program changed it.
class CheckBox : public Control {
  public:
    using Control::Control;

    std::int16_t value() const { return value_; }
    void setValue(std::int16_t value);

    std::function<void()> onClick;

  private:
    std::int16_t value_ = 0;
};

class OptionGroup;

// One element of an option group; selecting it clears the others of its group.
class OptionButton : public Control {
  public:
    OptionButton(Design design, OptionGroup& group);

    bool value() const { return value_; }
    // Setting true selects this option; setting false only clears it.
    void setValue(bool value);

  private:
    friend class OptionGroup;
    void store(bool value);

    OptionGroup& group_;
    bool value_ = false;
};

// An indexed array of option buttons forming one group. `onClick` runs with the index of
// the option that has just become selected.
class OptionGroup {
  public:
    OptionGroup() = default;
    OptionGroup(const OptionGroup&) = delete;
    OptionGroup& operator=(const OptionGroup&) = delete;

    OptionButton& add(Control::Design design, const std::string& tag);
    OptionButton& operator[](std::size_t index) { return *options_.at(index); }
    const OptionButton& operator[](std::size_t index) const { return *options_.at(index); }
    std::size_t count() const { return options_.size(); }
    // The index of the selected option, or -1 when none is.
    int selectedIndex() const;

    std::function<void(int index)> onClick;

  private:
    friend class OptionButton;
    void select(OptionButton& chosen);

    std::vector<std::unique_ptr<OptionButton>> options_;
};

// A single-line text box. `onValidate` runs just before the focus leaves it for another
// control of its window (see Form::setFocus).
class TextBox : public Control {
  public:
    using Control::Control;

    const std::string& text() const { return text_; }
    void setText(const std::string& text);

    std::function<void()> onValidate;

  private:
    std::string text_;
};

// A scroll bar. The value always stays within minimum and maximum; `onChange` runs
// whenever it changes, whether the user or the program moved it.
class ScrollBar : public Control {
  public:
    ScrollBar(Design design, std::int16_t minimum, std::int16_t maximum);

    std::int16_t minimum() const { return minimum_; }
    std::int16_t maximum() const { return maximum_; }
    std::int16_t smallChange() const { return 1; }
    std::int16_t largeChange() const { return 1; }
    std::int16_t value() const { return value_; }
    // A value outside the range is brought to its nearer end.
    void setValue(int value);

    std::function<void()> onChange;

  private:
    std::int16_t minimum_;
    std::int16_t maximum_;
    std::int16_t value_;
};

// A timer that ticks every `intervalMs` while enabled; its ticks come from the event loop.
class Timer : public Control {
  public:
    Timer(Design design, int intervalMs);

    int intervalMs() const { return intervalMs_; }

    std::function<void()> onTimer;

  private:
    int intervalMs_;
};

enum class WindowState { Normal, Minimized };

// A top-level window: caption, visibility, window state and which of its controls holds the
// keyboard focus. Hidden until shown.
class Form : public Control {
  public:
    // Client area in twips.
    Form(std::string name, std::string caption, int clientWidth, int clientHeight);

    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    WindowState windowState() const { return windowState_; }
    void setWindowState(WindowState state);

    Control* focused() const { return focused_; }
    // Moves the focus to `target`, a control of this window. Fails (returns false and
    // changes nothing) while the window is hidden or when the target cannot take the focus
    // now. A text box losing the focus to another control is validated first.
    bool setFocus(Control& target);

  private:
    int clientWidth_;
    int clientHeight_;
    WindowState windowState_ = WindowState::Normal;
    Control* focused_ = nullptr;
    bool validating_ = false;
};

}  // namespace velmora
