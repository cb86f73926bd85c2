#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <string>
#include <vector>

#include "qt/SettingsWindowView.h"
#include "support/QtTestApplication.h"
#include "support/TempSettings.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

class SettingsWindowViewTest : public ::testing::Test {
  protected:
    void storeSetting(const std::string& name, const std::string& text) { temp.store(name, text); }
    std::string storedSetting(const std::string& name) { return temp.stored(name); }
    // Loads the stored settings and opens the window as the tray does.
    void open() {
        window.loadSettings();
        window.setWindowState(WindowState::Normal);
        window.setVisible(true);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }
    QWidget* widget(const Control& control) { return view.widgetFor(control); }
    QLineEdit* intervalEdit() { return qobject_cast<QLineEdit*>(widget(window.intervalBox)); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    std::string focusedName() {
        const Control* focused = window.focused();
        return focused == nullptr ? "" : focused->name() + std::to_string(focused->index());
    }

    test::QtTestApplication app;
    test::TempSettings temp;
    SettingsWindow window{temp.settings};
    SettingsWindowView view{window};
};

QString shownText(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        return frame->title();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

TEST_F(SettingsWindowViewTest, ShowsEveryControlWithItsCaptionInAFixedCentredWindow) {
    for (Control* control : window.allControls()) {
        QWidget* shown = widget(*control);
        ASSERT_NE(shown, nullptr) << control->name();
        if (dynamic_cast<TextBox*>(control) == nullptr &&
            dynamic_cast<ScrollBar*>(control) == nullptr) {
            EXPECT_EQ(shownText(shown).toStdString(), control->caption()) << control->name();
        }
    }
    EXPECT_EQ(shownText(widget(window.autoUpdateCheckBox)).toStdString(),
              "ウィルス定義ファイルの自動更新を行う(&T)");
    EXPECT_EQ(view.windowTitle(), "Velmora");
    EXPECT_EQ(view.minimumSize(), QSize(361, 430));
    EXPECT_EQ(view.maximumSize(), QSize(361, 430));
    EXPECT_FALSE(view.windowIcon().isNull());
    EXPECT_TRUE(view.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(view.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(widget(window.okButton)->geometry(), QRect(72, 400, 89, 21));
    EXPECT_EQ(widget(window.intervalBox)->geometry(), QRect(176, 272, 49, 18));
    EXPECT_EQ(widget(window.computerFrame)->geometry(), QRect(8, 72, 345, 313));
    EXPECT_TRUE(qobject_cast<QPushButton*>(widget(window.okButton))->isDefault());
    EXPECT_FALSE(qobject_cast<QPushButton*>(widget(window.applyButton))->isDefault());

    open();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((view.frameGeometry().center() - screenCentre).manhattanLength(), 1);

    window.latestPackageLabel.setCaption("2004/12/31 rev. 999 ----/--/-- rev. ---");
    QWidget* latest = widget(window.latestPackageLabel);
    EXPECT_EQ(shownText(latest), "2004/12/31 rev. 999 ----/--/-- rev. ---");
    ASSERT_GT(latest->sizeHint().width(), 1560 / 15) << "longer than the layout's place";
    EXPECT_GE(latest->width(), latest->sizeHint().width()) << "nothing of it is cut off";
    EXPECT_EQ(latest->x(), 200);
    window.vendorFrame.setCaption("http://host/defs/download/packages/");
    EXPECT_EQ(shownText(widget(window.vendorFrame)), "http://host/defs/download/packages/");
}

TEST_F(SettingsWindowViewTest, TabVisitsTheControlsInOrderWithTheKeepBoxLast) {
    storeSetting("Auto", "1");
    open();
    window.logCheckBox.setValue(1);  // an unapplied change, so Apply takes part
    ASSERT_TRUE(window.setFocus(window.flavourOptions[0]));
    std::vector<std::string> visited{focusedName()};
    for (int i = 0; i < 11; ++i) {
        press(Qt::Key_Tab);
        visited.push_back(focusedName());
        EXPECT_EQ(QApplication::focusWidget(), widget(*window.focused()));
    }
    EXPECT_EQ(visited, (std::vector<std::string>{
                           "flavourOptions0", "updateNowButton-1", "autoUpdateCheckBox-1",
                           "intervalBox-1", "intervalScrollBar-1", "startWithSessionCheckBox-1",
                           "logCheckBox-1", "okButton-1", "cancelButton-1", "applyButton-1",
                           "keepPackagesCheckBox-1", "flavourOptions0"}));
}

TEST_F(SettingsWindowViewTest, LeavingTheTextBoxValidatesIt) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    open();
    intervalEdit()->setFocus();
    intervalEdit()->selectAll();
    QTest::keyClicks(intervalEdit(), "abc");
    EXPECT_FALSE(window.applyButton.enabled());

    press(Qt::Key_Tab);

    EXPECT_EQ(intervalEdit()->text(), "1");
    EXPECT_EQ(qobject_cast<QScrollBar*>(widget(window.intervalScrollBar))->value(), 99);
    EXPECT_TRUE(window.applyButton.enabled());
    EXPECT_EQ(QApplication::focusWidget(), widget(window.intervalScrollBar));
}

TEST_F(SettingsWindowViewTest, EnterPressesOkAfterValidatingTheTextItWasTypedIn) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    open();
    intervalEdit()->setFocus();
    intervalEdit()->selectAll();
    QTest::keyClicks(intervalEdit(), "150");

    press(Qt::Key_Return);

    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(storedSetting("Interval"), "99");
    EXPECT_EQ(intervalEdit()->text(), "99");
}

TEST_F(SettingsWindowViewTest, ChordsNoAccessKeyTakesTypeNothingInTheInterval) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    open();
    intervalEdit()->setFocus();
    intervalEdit()->end(false);
    ASSERT_FALSE(widget(window.applyButton)->isEnabled());

    press(Qt::Key_A, Qt::AltModifier);  // Apply's access key while Apply is disabled
    press(Qt::Key_5, Qt::AltModifier);
    press(Qt::Key_B, Qt::AltModifier | Qt::ControlModifier);
    press(Qt::Key_C, Qt::MetaModifier);
    EXPECT_EQ(intervalEdit()->text(), "24");

    // Editing chords, a digit AltGr gives (as X11 reports it), plain typing and paste still
    // work.
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(intervalEdit(), '1', Qt::GroupSwitchModifier);
    QTest::keyClick(intervalEdit(), '2');
    QGuiApplication::clipboard()->setText(".4");
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(intervalEdit()->text(), "12.4");

    press(Qt::Key_Return);
    EXPECT_EQ(storedSetting("Interval"), "12");
}

TEST_F(SettingsWindowViewTest, EscCancelsTheEdits) {
    open();
    QTest::mouseClick(widget(window.keepPackagesCheckBox), Qt::LeftButton);
    ASSERT_EQ(window.keepPackagesCheckBox.value(), 1);
    ASSERT_TRUE(window.applyButton.enabled());

    press(Qt::Key_Escape);

    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(window.keepPackagesCheckBox.value(), 0);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(widget(window.keepPackagesCheckBox))->isChecked());
    EXPECT_FALSE(widget(window.applyButton)->isEnabled());
    EXPECT_EQ(storedSetting("Remove"), "");
}

TEST_F(SettingsWindowViewTest, AltNGoesToTheIntervalAndTheUpArrowAddsAnHour) {
    storeSetting("Auto", "1");
    storeSetting("Interval", "24");
    open();
    ASSERT_TRUE(window.setFocus(window.logCheckBox));
    press(Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), widget(window.intervalBox));

    auto* bar = qobject_cast<QScrollBar*>(widget(window.intervalScrollBar));
    bar->setFocus();
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(intervalEdit()->text(), "25");
    EXPECT_EQ(QApplication::focusWidget(), widget(window.intervalBox));
    EXPECT_TRUE(widget(window.applyButton)->isEnabled());
}

TEST_F(SettingsWindowViewTest, TheCloseBoxHidesAndDiscardsWhileTheProgramMayStillClose) {
    open();
    QTest::mouseClick(widget(window.logCheckBox), Qt::LeftButton);
    ASSERT_EQ(window.logCheckBox.value(), 1);

    // As the window system delivers it: a spontaneous close event.
    QCloseEvent fromUser;
    QSpontaneKeyEvent::setSpontaneous(&fromUser);
    static_cast<QObject&>(view).event(&fromUser);

    EXPECT_FALSE(fromUser.isAccepted());
    EXPECT_TRUE(view.isHidden());
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(window.logCheckBox.value(), 0);

    window.setVisible(true);
    EXPECT_TRUE(view.close()) << "the program itself may still close the window";
}

TEST_F(SettingsWindowViewTest, MinimisingIsPassedToTheWindow) {
    open();
    view.showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(window.windowState(), WindowState::Minimized);
}

}  // namespace
}  // namespace velmora
