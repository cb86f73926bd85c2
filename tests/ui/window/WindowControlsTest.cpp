#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/WindowControls.h"

namespace velmora {
namespace {

Control::Design focusable(const char* name) {
    return {.name = name, .caption = "", .rect = {}, .tabIndex = 0, .takesFocus = true};
}

TEST(WindowControlsTest, ObserversHearActualChangesUntilTheirSubscriptionEnds) {
    CheckBox box(focusable("chk"));
    std::vector<ControlProperty> heard;
    {
        const Subscription subscription =
            box.observe([&](ControlProperty property) { heard.push_back(property); });
        box.setValue(1);
        box.setValue(1);
        box.setEnabled(false);
        box.setEnabled(false);
        box.setCaption("x");
        box.setTag("t");
    }
    box.setValue(0);
    EXPECT_EQ(heard, (std::vector{ControlProperty::Value, ControlProperty::Enabled,
                                  ControlProperty::Caption, ControlProperty::Tag}));
}

TEST(WindowControlsTest, CheckBoxClicksOnEveryChangeOfValueOnly) {
    CheckBox box(focusable("chk"));
    int clicks = 0;
    box.onClick = [&] { ++clicks; };
    box.setValue(1);
    box.setValue(1);
    box.setValue(0);
    EXPECT_EQ(clicks, 2);
}

TEST(WindowControlsTest, OptionGroupKeepsOneSelectedAndReportsTheNewIndex) {
    OptionGroup group;
    group.add(focusable("opt"), "a");
    group.add(focusable("opt"), "b");
    std::vector<int> clicks;
    group.onClick = [&](int index) { clicks.push_back(index); };
    EXPECT_EQ(group.selectedIndex(), -1);

    group[1].setValue(true);
    group[1].setValue(true);
    group[0].setValue(true);

    EXPECT_EQ(clicks, (std::vector{1, 0}));
    EXPECT_TRUE(group[0].value());
    EXPECT_FALSE(group[1].value());
    EXPECT_EQ(group[1].index(), 1);
    EXPECT_EQ(group[1].tag(), "b");
}

TEST(WindowControlsTest, ScrollBarStaysInItsRangeAndSignalsOnlyMoves) {
    ScrollBar bar(focusable("scrl"), 1, 99);
    int changes = 0;
    bar.onChange = [&] { ++changes; };
    bar.setValue(150);
    EXPECT_EQ(bar.value(), 99);
    bar.setValue(99);
    bar.setValue(-4);
    EXPECT_EQ(bar.value(), 1);
    EXPECT_EQ(changes, 2);
}

TEST(WindowControlsTest, DisabledButtonCannotBePressed) {
    CommandButton button(focusable("cmd"));
    int presses = 0;
    button.onClick = [&] { ++presses; };
    button.click();
    button.setEnabled(false);
    button.click();
    EXPECT_EQ(presses, 1);
}

TEST(WindowControlsTest, FocusMovesOnlyInAShownWindowToAControlThatCanTakeIt) {
    Form form("frm", "caption", 100, 100);
    TextBox text(focusable("txt"));
    CheckBox box(focusable("chk"));
    Label label({.name = "lbl", .caption = "", .rect = {}});

    EXPECT_FALSE(form.visible());
    EXPECT_FALSE(form.setFocus(text));
    form.setVisible(true);
    EXPECT_FALSE(form.setFocus(label));
    box.setEnabled(false);
    EXPECT_FALSE(form.setFocus(box));
    EXPECT_TRUE(form.setFocus(text));
    EXPECT_EQ(form.focused(), &text);
}

TEST(WindowControlsTest, TextBoxIsValidatedBeforeTheFocusLeavesIt) {
    Form form("frm", "caption", 100, 100);
    form.setVisible(true);
    TextBox text(focusable("txt"));
    CheckBox box(focusable("chk"));
    std::vector<std::string> focusDuringValidation;
    text.onValidate = [&] {
        focusDuringValidation.push_back(form.focused()->name());
        // Asking for the focus it already holds changes nothing.
        EXPECT_TRUE(form.setFocus(text));
        text.setText("validated");
    };

    form.setFocus(text);
    form.setFocus(text);
    EXPECT_TRUE(focusDuringValidation.empty());
    EXPECT_TRUE(form.setFocus(box));
    EXPECT_EQ(focusDuringValidation, std::vector<std::string>{"txt"});
    EXPECT_EQ(text.text(), "validated");
    EXPECT_EQ(form.focused(), &box);
}

}  // namespace
}  // namespace velmora
