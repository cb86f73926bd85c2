#include <string>
#include <vector>

#include "SettingsWindowViewContract.h"

namespace velmora::test {
namespace {

int rightOf(const PixelRect& place) {
    return place.left + place.width;
}

TEST_P(SettingsWindowViewContract, ShowsEveryControlAtItsPlaceWithNoCaptionCutOff) {
    for (Control* control : window.allControls()) {
        if (dynamic_cast<TextBox*>(control) == nullptr &&
            dynamic_cast<ScrollBar*>(control) == nullptr) {
            EXPECT_EQ(view->shownText(*control), control->caption()) << control->name();
        }
    }
    const int dpi = view->dotsPerInch();
    EXPECT_EQ(view->clientSize().width, twipsToPixels(window.clientWidth(), dpi));
    EXPECT_EQ(view->clientSize().height, twipsToPixels(window.clientHeight(), dpi));
    EXPECT_EQ(view->placeOf(window.okButton), twipsToPixels(window.okButton.rect(), dpi));

    view->open();
    window.latestPackageLabel.setCaption("2004/12/31 rev. 999 ----/--/-- rev. ---");
    EXPECT_EQ(view->shownText(window.latestPackageLabel),
              "2004/12/31 rev. 999 ----/--/-- rev. ---");
    EXPECT_GT(view->placeOf(window.latestPackageLabel).width,
              twipsToPixels(window.latestPackageLabel.rect().width, dpi))
        << "grown to the caption, not cut off";
}

TEST_P(SettingsWindowViewContract, ACaptionWiderThanItsPlaceMovesTheOptionsAfterItAlong) {
    const int dpi = view->dotsPerInch();
    const auto expectClearOfTheLabel = [&] {
        const PixelRect label = view->placeOf(window.flavourLabel);
        const PixelRect i32 = view->placeOf(window.flavourOptions[0]);
        const PixelRect x86 = view->placeOf(window.flavourOptions[1]);
        EXPECT_GT(i32.left, rightOf(label));
        EXPECT_GT(x86.left, rightOf(i32));
        EXPECT_GE(i32.left, twipsToPixels(window.flavourOptions[0].rect().left, dpi));
    };
    expectClearOfTheLabel();

    window.flavourLabel.setCaption("Standalone Updater パッケージの種類を選んでください:");
    expectClearOfTheLabel();
    // The interval box and its arrows keep their places, wherever the labels go.
    EXPECT_EQ(view->placeOf(window.intervalBox), twipsToPixels(window.intervalBox.rect(), dpi));
}

TEST_P(SettingsWindowViewContract, OpensOnTheChosenFlavourAndTabVisitsTheControlsInOrder) {
    settings.store("Auto", "1");
    settings.store("IUP", "1");
    view->open();
    EXPECT_EQ(focusedName(), "flavourOptions1") << "the chosen flavour, x86";
    EXPECT_EQ(view->focusedWidget(), &window.flavourOptions[1]);

    window.logCheckBox.setValue(1);  // an unapplied change, so Apply takes part
    std::vector<std::string> visited{focusedName()};
    for (int i = 0; i < 11; ++i) {
        view->pressTab();
        visited.push_back(focusedName());
        EXPECT_EQ(view->focusedWidget(), window.focused());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{
                           "flavourOptions1", "updateNowButton-1", "autoUpdateCheckBox-1",
                           "intervalBox-1", "intervalScrollBar-1", "startWithSessionCheckBox-1",
                           "logCheckBox-1", "okButton-1", "cancelButton-1", "applyButton-1",
                           "keepPackagesCheckBox-1", "flavourOptions1"}));
}

TEST_P(SettingsWindowViewContract, TheFocusComingToAnOptionChoosesNothing) {
    settings.store("IUP", "1");
    view->open();
    view->focus(window.flavourOptions[0]);
    view->pressTab();
    view->focus(window.flavourOptions[0]);
    EXPECT_EQ(window.flavourLabel.tag(), "1");
    EXPECT_TRUE(view->shownChecked(window.flavourOptions[1]));
    EXPECT_FALSE(view->shownChecked(window.flavourOptions[0]));
    EXPECT_FALSE(view->shownEnabled(window.applyButton));

    view->click(window.flavourOptions[0]);
    EXPECT_EQ(window.flavourLabel.tag(), "0");
    EXPECT_FALSE(view->shownChecked(window.flavourOptions[1]));
    EXPECT_TRUE(view->shownEnabled(window.applyButton));
}

TEST_P(SettingsWindowViewContract, LeavingTheTextBoxChecksTheInterval) {
    settings.store("Auto", "1");
    settings.store("Interval", "24");
    view->open();
    view->focus(window.intervalBox);
    view->selectAllText();
    view->type("abc");
    EXPECT_EQ(window.intervalBox.text(), "abc");
    EXPECT_FALSE(view->shownEnabled(window.applyButton));

    view->pressTab();

    EXPECT_EQ(view->shownText(window.intervalBox), "1");
    EXPECT_EQ(view->shownPosition(window.intervalScrollBar), 99);
    EXPECT_TRUE(view->shownEnabled(window.applyButton));
    EXPECT_EQ(view->focusedWidget(), &window.intervalScrollBar);
}

TEST_P(SettingsWindowViewContract, EnterPressesOkAfterCheckingTheTextItWasTypedIn) {
    settings.store("Auto", "1");
    settings.store("Interval", "24");
    view->open();
    view->click(window.logCheckBox);
    view->focus(window.intervalBox);
    view->selectAllText();
    view->type("150");

    view->pressEnter();

    EXPECT_FALSE(view->windowShown());
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(settings.stored("Interval"), "99");
    EXPECT_EQ(settings.stored("Log"), "1");
    EXPECT_EQ(view->shownText(window.intervalBox), "99");
}

TEST_P(SettingsWindowViewContract, EscAndTheCloseBoxHideTheWindowAndDiscardTheEdits) {
    view->open();
    view->click(window.keepPackagesCheckBox);
    ASSERT_EQ(window.keepPackagesCheckBox.value(), 1);
    ASSERT_TRUE(view->shownEnabled(window.applyButton));

    view->pressEsc();

    EXPECT_FALSE(view->windowShown());
    EXPECT_FALSE(view->shownChecked(window.keepPackagesCheckBox));
    EXPECT_FALSE(view->shownEnabled(window.applyButton));
    EXPECT_EQ(settings.stored("Remove"), "");

    view->open();
    view->click(window.logCheckBox);
    view->closeFromTitleBar();
    EXPECT_FALSE(view->windowShown());
    EXPECT_FALSE(window.visible());
    EXPECT_FALSE(view->shownChecked(window.logCheckBox));
    EXPECT_EQ(settings.stored("Log"), "");

    view->open();
    EXPECT_TRUE(view->windowShown());
    view->minimise();
    EXPECT_EQ(window.windowState(), WindowState::Minimized);
}

TEST_P(SettingsWindowViewContract, ChordsNoAccessKeyTakesTypeNothingInTheInterval) {
    settings.store("Auto", "1");
    settings.store("Interval", "24");
    view->open();
    view->focus(window.intervalBox);
    ASSERT_FALSE(view->shownEnabled(window.applyButton));

    view->type("a", {.alt = true});  // Apply's access key while Apply is disabled
    view->type("5", {.alt = true});
    view->type("c", {.meta = true});
    EXPECT_EQ(view->shownText(window.intervalBox), "24");

    // A digit typed with AltGr, and plain typing, still type.
    view->selectAllText();
    view->type("1", {.altGr = true});
    view->type("2");
    EXPECT_EQ(view->shownText(window.intervalBox), "12");
    view->pressEnter();
    EXPECT_EQ(settings.stored("Interval"), "12");
}

TEST_P(SettingsWindowViewContract, AltNGoesToTheIntervalWhoseArrowAddsAnHour) {
    settings.store("Auto", "1");
    settings.store("Interval", "24");
    view->open();
    view->focus(window.logCheckBox);

    view->pressAccessKey('N');
    EXPECT_EQ(view->focusedWidget(), &window.intervalBox);

    view->focus(window.intervalScrollBar);
    view->pressArrowUp();
    EXPECT_EQ(view->shownText(window.intervalBox), "25");
    EXPECT_EQ(view->focusedWidget(), &window.intervalBox);
    EXPECT_TRUE(view->shownEnabled(window.applyButton));
}

TEST_P(SettingsWindowViewContract, DraggingTheThumbChangesTheIntervalWhenTheDragEnds) {
    settings.store("Auto", "1");
    settings.store("Interval", "24");
    view->open();

    view->dragThumbTo(90);
    view->dragThumbTo(95);
    EXPECT_EQ(window.intervalBox.text(), "24");
    EXPECT_FALSE(view->shownEnabled(window.applyButton));

    view->releaseThumbAt(95);
    EXPECT_EQ(view->shownText(window.intervalBox), "5");
    EXPECT_EQ(view->shownPosition(window.intervalScrollBar), 95);
    EXPECT_TRUE(view->shownEnabled(window.applyButton));
}

}  // namespace
}  // namespace velmora::test
